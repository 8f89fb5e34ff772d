#include "recitation/rangeexport.h"

#include <QFileInfo>

#include "data/suracatalogue.h"
#include "platform/messagebox.h"
#include "platform/savefiledialog.h"

namespace varnelo {

namespace {

const QString kAppTitle = QStringLiteral("Varnelo");

}  // namespace

QString ZeroPad(int value, int length) {
    QString text = QString::number(value);
    while (text.size() < length) {
        text.prepend(QLatin1Char('0'));
    }
    return text;
}

int VerseNumberOfIndex(int sura, int verseIndex) {
    return hasOpeningEntry(sura) ? verseIndex : verseIndex + 1;
}

QString DefaultRangeFileName(int sura, int RB, int RE) {
    return ZeroPad(sura, 3) + QLatin1Char('-') + ZeroPad(VerseNumberOfIndex(sura, RB), 3) +
           QLatin1Char('-') + ZeroPad(VerseNumberOfIndex(sura, RE), 3) + QStringLiteral(".MP3");
}

Id3v1Tag RangeTag(const QString &suraListText, int sura, int RB, int RE) {
    Id3v1Tag tag;
    tag.title = QString::fromLatin1(kRangeTagTitle);
    tag.artist = suraListText + QStringLiteral("(%1-%2)")
                                    .arg(VerseNumberOfIndex(sura, RB))
                                    .arg(VerseNumberOfIndex(sura, RE));
    tag.album = QStringLiteral("Quran");
    return tag;
}

QString WithMp3Extension(const QString &path) {
    if (path.right(4).toLower() == QLatin1String(".mp3")) {
        return path;
    }
    return path + QStringLiteral(".mp3");
}

RangeExport::RangeExport(MessageBox &messages, SaveFileDialog &dialog,
                         std::function<void()> stopRecitation)
    : m_messages(messages), m_dialog(dialog), m_stopRecitation(std::move(stopRecitation)) {}

RangeExportOutcome RangeExport::fail(const QString &detail) {
    m_failureDetail = detail;
    m_messages.information(kAppTitle, QStringLiteral("Error saving MP3 file"));
    return RangeExportOutcome::Failed;
}

RangeExportOutcome RangeExport::cmdRangeToMP3(const RangeExportRequest &request,
                                              const FrameLocator &frames) {
    m_failureDetail.clear();
    if (request.RB > request.RE) {
        m_messages.information(
            QStringLiteral("Incorrect Range"),
            QStringLiteral("Range Begin should be less than or equal to Range End"));
        return RangeExportOutcome::IncorrectRange;
    }

    const QString chosen =
        m_dialog.ShowSaveMp3Dialog(DefaultRangeFileName(request.sura, request.RB, request.RE),
                                   GetSpecialFolder(kDesktopDirectoryFolder));
    if (chosen.isEmpty()) {
        return RangeExportOutcome::Cancelled;
    }
    const QString path = WithMp3Extension(chosen);

    // The old file stays until the new one is complete: the cut replaces it by a rename.
    if (QFileInfo::exists(path) &&
        !m_messages.question(QStringLiteral("Confirm replace"),
                             QStringLiteral("File aleady exists. Replace it ?"))) {
        return RangeExportOutcome::Declined;
    }

    if (m_stopRecitation) {
        m_stopRecitation();
    }
    if (request.RB < 0 || request.RE >= request.verseTimes.size()) {
        return fail(QStringLiteral("verse index %1..%2 outside the sura's %3 verses")
                        .arg(request.RB)
                        .arg(request.RE)
                        .arg(request.verseTimes.size()));
    }
    // Replacing the sura's own recitation file with a piece of it would lose the recitation.
    if (QFileInfo::exists(path) &&
        QFileInfo(path).canonicalFilePath() == QFileInfo(request.Mp3FilePath).canonicalFilePath()) {
        return fail(QStringLiteral("%1 is the sura's own recitation file").arg(path));
    }
    const Mp3CutResult cut =
        CutMp3Range(request.Mp3FilePath, frames, request.verseTimes.at(request.RB).start,
                    request.verseTimes.at(request.RE).end, path,
                    RangeTag(request.suraListText, request.sura, request.RB, request.RE));
    if (!cut.ok()) {
        return fail(cut.error);
    }
    m_savedPath = path;
    return RangeExportOutcome::Saved;
}

}  // namespace varnelo
