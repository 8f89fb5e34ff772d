#include "translationbuilder.h"

#include "data/ansitext.h"
#include "data/suracatalogue.h"

namespace varnelo {

namespace {

QByteArray configIni(const TranslationOptions &o) {
    const auto flag = [](bool b) { return QByteArray(b ? "true" : "false"); };
    QByteArray ini = "[Main]\r\n";
    ini += "IsUnicode=" + flag(o.IsUnicode) + "\r\n";
    ini += "IsRTL=" + flag(o.IsRTL) + "\r\n";
    ini += "MoreInfoAvailable=" + flag(o.MoreInfoAvailable) + "\r\n";
    if (!o.ButtonCaption.isEmpty()) {
        ini += "ButtonCaption=" + o.ButtonCaption.toUtf8() + "\r\n";
    }
    if (!o.WindowCaption.isEmpty()) {
        ini += "WindowCaption=" + o.WindowCaption.toUtf8() + "\r\n";
    }
    ini += "Font=" + o.Font.toUtf8() + "\r\n";
    ini += "FontUsePercentage=" + flag(o.FontUsePercentage) + "\r\n";
    ini += "AdditionalStyles=" + o.AdditionalStyles.toUtf8() + "\r\n";
    if (!o.info.isEmpty()) {
        ini += "[info]\r\n";
        for (const auto &[key, value] : o.info) {
            ini += key.toUtf8() + '=' + value.toUtf8() + "\r\n";
        }
    }
    return ini;
}

QString oneLine(const QString &text) {
    QString s = text;
    s.replace(u'\n', u' ');
    s.remove(u'\r');
    return s;
}

}  // namespace

TranslationResult buildTranslation(const VerseTextFile &text, const TranslationOptions &options) {
    TranslationResult result;
    const auto fail = [&](const QString &what) {
        result.archive = ArchiveBuilder();
        result.error = what;
        return result;
    };
    for (const QString &value :
         {options.ButtonCaption, options.WindowCaption, options.Font, options.AdditionalStyles}) {
        if (value.contains(u'\n') || value.contains(u'\r')) {
            return fail(QStringLiteral("config.ini values must be single lines"));
        }
    }
    const QString firstVerse = text.suras.contains(1) ? text.suras[1].value(0) : QString();
    const std::optional<QString> bismi =
        options.bismi ? options.bismi
                      : (firstVerse.isEmpty() ? std::nullopt : std::optional<QString>(firstVerse));
    const std::optional<QString> bismi1 = options.bismi1 ? options.bismi1 : bismi;

    for (auto it = text.suras.cbegin(); it != text.suras.cend(); ++it) {
        const int sura = it.key();
        // Sura 1 shows its opening record from bismi1.txt, so its member starts at verse 2.
        const QStringList verses = sura == 1 ? it->mid(1) : *it;
        QByteArray member;
        for (qsizetype v = 0; v < verses.size(); ++v) {
            const auto bytes = encodeMemberText(oneLine(verses[v]), options.IsUnicode);
            if (!bytes) {
                return fail(
                    QStringLiteral("verse %1:%2 has characters outside code page 1252; build it "
                                   "as a Unicode translation")
                        .arg(sura)
                        .arg(v + (sura == 1 ? 2 : 1)));
            }
            if (v > 0) {
                member += options.IsUnicode ? QByteArray("\n\0", 2) : QByteArray("\n");
            }
            member += *bytes;
        }
        result.archive.addMember(SuraFileNumber(sura) + QStringLiteral(".txt"), member, true);
    }
    result.archive.addMember(QStringLiteral("config.ini"), configIni(options), true);
    const QList<QPair<QString, std::optional<QString>>> formulas = {{"bismi.txt", bismi},
                                                                    {"bismi1.txt", bismi1}};
    for (const auto &[name, formula] : formulas) {
        if (!formula) {
            continue;
        }
        const auto bytes = encodeMemberText(oneLine(*formula), options.IsUnicode);
        if (!bytes) {
            return fail(QStringLiteral("%1 has characters outside code page 1252").arg(name));
        }
        result.archive.addMember(name, *bytes, true);
    }
    return result;
}

}  // namespace varnelo
