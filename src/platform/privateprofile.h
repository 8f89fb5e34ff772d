#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringConverter>
#include <QStringList>

namespace varnelo {

// A read-only INI file read the way the Windows private-profile functions read it: section and
// key names match case-insensitively, the first matching section and the first matching key win,
// blanks around names and values are dropped, one pair of matching quotes around a value is
// dropped, and lines starting with ';' are comments. A missing or unreadable file reads as empty.
class PrivateProfile {
public:
    // The file's bytes are decoded as eightBitEncoding unless they start with a UTF-8 or UTF-16
    // byte-order mark.
    explicit PrivateProfile(const QString &path,
                            QStringConverter::Encoding eightBitEncoding = QStringConverter::Latin1);
    static PrivateProfile fromData(
        const QByteArray &data,
        QStringConverter::Encoding eightBitEncoding = QStringConverter::Latin1);

    // The value of section/key cut to bufferSize - 1 characters, or defaultValue (without its
    // trailing blanks, cut the same way) when the file, section or key is missing.
    QString readString(const QString &section, const QString &key, const QString &defaultValue,
                       int bufferSize) const;

    // Every line of section as "key=value" (or the bare line when it has no '='), blanks around
    // names and values dropped, comments and empty lines left out; empty when missing.
    QStringList readSection(const QString &section) const;
    // readSection in the form the platform returns it: each line followed by a NUL. When that does
    // not fit a buffer of bufferSize characters with its closing NUL, the first bufferSize - 2.
    QString readSectionNulSeparated(const QString &section, int bufferSize) const;

private:
    struct Entry {
        QString key;
        QString value;
        bool hasValue = false;
    };
    struct Section {
        QString name;
        QList<Entry> entries;
    };

    PrivateProfile() = default;
    void parse(const QByteArray &data, QStringConverter::Encoding eightBitEncoding);
    const Section *findSection(const QString &name) const;

    QList<Section> m_sections;
};

}  // namespace varnelo
