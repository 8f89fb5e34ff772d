#include "platform/privateprofile.h"

#include <QFile>
#include <QStringDecoder>

namespace varnelo {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

QStringView trimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QString decode(const QByteArray &data, QStringConverter::Encoding eightBitEncoding) {
    // A byte-order mark names the encoding; otherwise the file is 8-bit text.
    if (const auto bom = QStringConverter::encodingForData(data)) {
        QStringDecoder decoder(*bom);  // drops the mark itself
        return decoder.decode(data);
    }
    QStringDecoder decoder(eightBitEncoding);
    return decoder.decode(data);
}

// A value keeps its quotes unless it starts and ends with the same quote character.
QString unquote(const QString &value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

QString cut(const QString &text, int bufferSize) {
    return bufferSize <= 0 ? QString() : text.left(bufferSize - 1);
}

}  // namespace

PrivateProfile::PrivateProfile(const QString &path, QStringConverter::Encoding eightBitEncoding) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        parse(file.readAll(), eightBitEncoding);
}

PrivateProfile PrivateProfile::fromData(const QByteArray &data,
                                        QStringConverter::Encoding eightBitEncoding) {
    PrivateProfile profile;
    profile.parse(data, eightBitEncoding);
    return profile;
}

void PrivateProfile::parse(const QByteArray &data, QStringConverter::Encoding eightBitEncoding) {
    const QString text = decode(data, eightBitEncoding);
    Section *current = nullptr;  // lines before the first section header belong to none
    for (QStringView rawLine : QStringView(text).split(u'\n')) {
        const QStringView line = trimBlanks(rawLine);
        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            const qsizetype close = line.lastIndexOf(u']');
            if (close > 0) {
                m_sections.append({trimBlanks(line.mid(1, close - 1)).toString(), {}});
                current = &m_sections.last();
                continue;
            }
        }
        if (!current)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        Entry entry;
        if (equals < 0) {
            entry.key = line.toString();
        } else {
            entry.key = trimBlanks(line.left(equals)).toString();
            entry.value = trimBlanks(line.mid(equals + 1)).toString();
            entry.hasValue = true;
        }
        current->entries.append(entry);
    }
}

const PrivateProfile::Section *PrivateProfile::findSection(const QString &name) const {
    const QStringView wanted = trimBlanks(name);
    for (const Section &section : m_sections) {
        if (section.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &section;
    }
    return nullptr;
}

QString PrivateProfile::readString(const QString &section, const QString &key,
                                   const QString &defaultValue, int bufferSize) const {
    if (const Section *found = findSection(section)) {
        const QStringView wanted = trimBlanks(key);
        for (const Entry &entry : found->entries) {
            if (entry.hasValue && entry.key.compare(wanted, Qt::CaseInsensitive) == 0)
                return cut(unquote(entry.value), bufferSize);
        }
    }
    // The platform drops trailing blanks of the default before returning it.
    QString fallback = defaultValue;
    while (!fallback.isEmpty() && fallback.back() == u' ')
        fallback.chop(1);
    return cut(fallback, bufferSize);
}

QStringList PrivateProfile::readSection(const QString &section) const {
    QStringList lines;
    if (const Section *found = findSection(section)) {
        for (const Entry &entry : found->entries) {
            lines.append(entry.hasValue ? entry.key + u'=' + entry.value : entry.key);
        }
    }
    return lines;
}

QString PrivateProfile::readSectionNulSeparated(const QString &section, int bufferSize) const {
    QString block;
    for (const QString &line : readSection(section))
        block += line + QChar(0);
    if (block.size() + 1 > bufferSize)
        block.truncate(qMax(0, bufferSize - 2));
    return block;
}

}  // namespace varnelo
