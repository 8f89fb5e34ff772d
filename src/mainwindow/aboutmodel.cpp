#include "mainwindow/aboutmodel.h"

#include <QFile>
#include <QStringDecoder>
#include <QUrl>

#include <optional>

#include "data/archive.h"
#include "platform/settingsstore.h"

namespace varnelo {

namespace {

QString missingPage(const QString &member, const QString &why) {
    return QStringLiteral(
               "<html><body><p>This page (%1) could not be read: %2</p>"
               "<p>Reinstalling Varnelo restores it.</p></body></html>")
        .arg(member.toHtmlEscaped(), why.toHtmlEscaped());
}

std::optional<QString> readText(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    if (!decoder.isValid())
        return QString::fromUtf8(bytes);
    return QString(decoder(bytes));
}

}  // namespace

QString FileOpen(const QString &path) {
    return readText(path).value_or(QString());
}

std::array<QString, 3> ReadAboutPages(const QString &appFolder, const QString &tempFolder) {
    const QString archive = appFolder + "/data/" + QLatin1String(AboutArchiveName);
    std::array<QString, 3> pages;
    for (size_t i = 0; i < pages.size(); ++i) {
        const QString member = QLatin1String(AboutPageMembers[i]);
        const ExtractResult result = ExtractMember(archive, member, tempFolder);
        if (result.fileNotFound()) {
            pages[i] = missingPage(member, QStringLiteral("%1 has no such page.").arg(archive));
            continue;
        }
        if (!result.extracted()) {
            pages[i] = missingPage(member, result.error);
            continue;
        }
        const std::optional<QString> text = readText(result.path);
        QFile::remove(result.path);
        pages[i] = text ? *text
                        : missingPage(member, QStringLiteral("the extracted file %1 could not be "
                                                             "read.")
                                                  .arg(result.path));
    }
    return pages;
}

bool DontShowAtStartup(const SettingsStore &store) {
    return store.get(QStringLiteral("About"), QStringLiteral("Show3"), QStringLiteral("1")) !=
           QLatin1String("1");
}

void SaveDontShowAtStartup(SettingsStore &store, bool dontShow) {
    store.save(QStringLiteral("About"), QStringLiteral("Show3"),
               dontShow ? QStringLiteral("0") : QStringLiteral("1"));
}

AboutLinkAction AboutLinkRule(const QString &address, const QString &appFolder) {
    if (address.contains(QLatin1String(DivovoVULinkMarker)))
        return {AboutLinkAction::Kind::OpenFile, appFolder + '/' + QLatin1String(DivovoVUFile)};
    const QString scheme = QUrl(address).scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto"))
        return {AboutLinkAction::Kind::OpenAddress, address};
    return {};
}

}  // namespace varnelo
