#include "data/translations.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include "data/ansitext.h"
#include "data/archive.h"
#include "platform/privateprofile.h"

namespace varnelo {

namespace {

// The platform's INI reader fills a buffer of this many characters per value.
constexpr int kValueBuffer = 3000;

QString archiveDat(const QString &name) {
    return name + QStringLiteral(".dat");
}

// "true" and "false" in any letter case, or a number: 0 is false, any other true. Anything else
// reads as false.
bool iniBool(const QString &value) {
    const QString v = value.trimmed();
    if (v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    bool isNumber = false;
    const double number = v.toDouble(&isNumber);
    return isNumber && number != 0;
}

// config.ini bytes as the profile reader takes them: text without a byte-order mark is ANSI.
PrivateProfile profileOf(const QByteArray &bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
        bytes.startsWith("\xFE\xFF"))
        return PrivateProfile::fromData(bytes);
    return PrivateProfile::fromData("\xEF\xBB\xBF" + decodeWindows1252(bytes).toUtf8());
}

// The member of the archive, or nothing when it is missing or unreadable.
std::optional<QByteArray> optionalMember(const QString &archive, const QString &member,
                                         const QString &tempFolder) {
    DataResult<QByteArray> read = readMemberBytes(archive, member, tempFolder, true);
    if (!read.ok())
        return std::nullopt;
    return read.value;
}

void loadBismi(const QString &archive, const QString &tempFolder, TranslationFields &fields) {
    if (auto bytes = optionalMember(archive, QStringLiteral("bismi.txt"), tempFolder)) {
        QString text = decodeMemberText(*bytes, fields.IsUnicode);
        if (!fields.IsUnicode && text.startsWith(QLatin1String("NA")))
            text.clear();
        fields.BismiText = text;
    }
    if (auto bytes = optionalMember(archive, QStringLiteral("bismi1.txt"), tempFolder))
        fields.Bismi1Text = decodeMemberText(*bytes, fields.IsUnicode);
    else
        fields.Bismi1Text = fields.BismiText;
}

}  // namespace

QString translationFolder(const QString &appFolder) {
    return appFolder + QStringLiteral("/data/tdata");
}

QString translationArchivePath(const QString &appFolder, const QString &name) {
    const QDir folder(translationFolder(appFolder));
    const QString exact = folder.filePath(archiveDat(name));
    if (QFileInfo(exact).isFile())
        return exact;
    const QStringList files = folder.entryList({QStringLiteral("*")}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        if (file.compare(archiveDat(name), Qt::CaseInsensitive) == 0)
            return folder.filePath(file);
    }
    return {};
}

QStringList LoadInstalledTranslations(const QString &appFolder) {
    const QDir folder(translationFolder(appFolder));
    QStringList names;
    for (QString file : folder.entryList({QStringLiteral("*.dat")}, QDir::Files))
        names.append(file.remove(QStringLiteral(".dat")));
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

void LoadTransNameFields(const QString &appFolder, const QString &tempFolder, const QString &name,
                         TranslationFields &fields) {
    const QString archive = translationArchivePath(appFolder, name);
    if (archive.isEmpty())
        return;
    if (auto bytes = optionalMember(archive, QStringLiteral("config.ini"), tempFolder)) {
        const PrivateProfile ini = profileOf(*bytes);
        const QString main = QStringLiteral("Main");
        const auto text = [&](const char *key, const QString &fallback) {
            return ini.readString(main, QLatin1String(key), fallback, kValueBuffer);
        };
        const QString no = QStringLiteral("false");
        fields.IsUnicode = iniBool(text("IsUnicode", no));
        fields.IsRTL = iniBool(text("IsRTL", no));
        fields.MoreInfoAvailable = iniBool(text("MoreInfoAvailable", no));
        fields.ButtonCaption = text("ButtonCaption", name);
        fields.WindowCaption = text("WindowCaption", name);
        fields.FontFace = text("Font", {});
        fields.FontUsePercentage = iniBool(text("FontUsePercentage", no));
        fields.AdditionalStyles = text("AdditionalStyles", {});
        const QString nul(QChar(0));
        fields.InfoSection = ini.readSectionNulSeparated(QStringLiteral("info"), kValueBuffer)
                                 .replace(nul + nul, QString());
    } else {
        fields.IsUnicode = fields.IsRTL = fields.MoreInfoAvailable = false;
        fields.FontUsePercentage = false;
        fields.ButtonCaption = fields.WindowCaption = name;
        fields.FontFace.clear();
        fields.AdditionalStyles.clear();
    }
    loadBismi(archive, tempFolder, fields);
}

void LoadBismiFields(const QString &appFolder, const QString &tempFolder, const QString &name,
                     TranslationFields &fields) {
    const QString archive = translationArchivePath(appFolder, name);
    if (!archive.isEmpty())
        loadBismi(archive, tempFolder, fields);
}

QString LoadTranslation(const QString &appFolder, const QString &tempFolder, const QString &name,
                        int window, const QString &member, bool unicode, int sura,
                        const std::array<OpeningFormulas, 3> &formulas,
                        QList<VerseTime> &verseTimes) {
    QString error;
    QStringList lines;
    const QString archive = translationArchivePath(appFolder, name);
    if (archive.isEmpty()) {
        error = QStringLiteral("The translation \"%1\" is not installed in %2.")
                    .arg(name, translationFolder(appFolder));
    } else {
        const DataResult<QByteArray> read = readMemberBytes(archive, member, tempFolder, true);
        if (read.ok())
            lines = decodeMemberText(read.value, unicode).split(QLatin1Char('\n'));
        else
            error = read.error;
    }

    int first = 1;
    if (sura == 9) {
        first = 0;
    } else if (!verseTimes.isEmpty()) {
        for (int w = 2; w <= 4; ++w) {
            const OpeningFormulas &f = formulas[w - 2];
            verseTimes[0].text(w) = sura == 1 ? f.bismi1 : f.bismi;
        }
    }
    for (qsizetype r = first; r < verseTimes.size(); ++r) {
        const qsizetype line = r - first;
        verseTimes[r].text(window) = line < lines.size() ? lines[line] : QString();
    }
    return error;
}

}  // namespace varnelo
