#include "data/suraloader.h"

#include <QFile>
#include <QFileInfo>

#include "data/archive.h"
#include "platform/messagebox.h"

namespace varnelo {

SuraLoader::SuraLoader(SuraLoadView &view, MessageBox &messages, Folders folders,
                       bool arabicTextDisabled)
    : m_view(view),
      m_messages(messages),
      m_folders(std::move(folders)),
      m_arabicTextDisabled(arabicTextDisabled) {}

namespace {

bool isSura(int sura) {
    return sura >= 1 && sura <= SuraCount;
}

}  // namespace

void SuraLoader::selectionChanged() {
    if (m_loading)
        return;  // the running load picks the selection up when it ends
    // Only the selection at the end of a load counts, so nothing queues beyond one more load; a
    // load that failed is not retried until the user selects again.
    int attempted = 0;
    while (isSura(m_view.selectedSura()) && m_view.selectedSura() != attempted) {
        m_loading = true;
        m_loadedSura = 0;
        m_view.processEvents();
        // The events may have moved the selection; the sura loaded is the one selected now.
        attempted = m_view.selectedSura();
        if (isSura(attempted))
            load(attempted);
        m_loading = false;
    }
}

void SuraLoader::load(int sura) {
    const QString stem = varnelo::SuraFileNumber(sura);
    DataResult<QList<VerseTime>> times = readVerseTimes(m_folders.app, m_folders.temp, sura);
    if (!times.ok()) {
        fail(times.error);
        return;
    }
    m_sura = sura;
    m_verseTimes = times.value;
    const int last = int(m_verseTimes.size()) - 1;
    m_view.setRangeSliders(sura, last);
    m_view.loadTranslations(sura, stem + QStringLiteral(".txt"));

    m_textParts.FillGifPositions(sura);
    m_suraFileNumber = stem;
    m_verseHeights.clear();
    if (hasWordData(sura)) {
        DataResult<QList<qint16>> heights = readVerseHeights(m_folders.app, m_folders.temp, sura);
        if (!heights.ok()) {
            fail(heights.error);
            return;
        }
        m_verseHeights = heights.value;
    }
    m_view.hideWordPicture();
    m_view.setCurrentSlider(last);
    if (m_textParts.HasTextParts())
        m_view.showArabicPageForVerse(0);
    else
        LoadGifFile(QString());
    m_mp3FilePath = mp3FilePath(m_folders.mp3, sura);

    m_wordRecords.clear();
    m_view.hideScrollAnimations();
    if (hasWordData(sura)) {
        DataResult<QList<WordRecord>> words = readWordRecords(m_folders.app, m_folders.temp, sura);
        m_view.processEvents();
        if (!words.ok()) {
            fail(words.error);
            return;
        }
        m_wordRecords = words.value;
        m_view.setWordHelpVisible(true);
    } else {
        m_view.setWordHelpVisible(false);
    }
    m_view.setCurrentVerse(0);
    m_view.updateShadeCaption();
    m_view.SetText();
    m_view.openMp3(m_mp3FilePath);
    m_loadedSura = sura;
}

void SuraLoader::fail(const QString &error) {
    m_sura = 0;
    m_messages.information(QStringLiteral("Varnelo"),
                           QStringLiteral("The sura could not be loaded.\n") + error);
}

void SuraLoader::LoadGifFile(const QString &letter) {
    if (m_arabicTextDisabled || !m_view.arabicPanelVisible() || m_sura == 0)
        return;
    const ArabicImageSource source = arabicImageSource(m_folders.app, m_sura, letter);
    if (!QFileInfo(source.archivePath).isFile()) {
        m_view.showArabicNotInstalled();
        return;
    }
    const ExtractResult extracted =
        ExtractMember(source.archivePath, source.member, m_folders.temp);
    // Without the member there is no image to wait for; say it is not installed instead.
    if (!extracted.extracted()) {
        if (!extracted.path.isEmpty())
            QFile::remove(extracted.path);
        m_view.showArabicNotInstalled();
        return;
    }
    m_view.showArabicImage(extracted.path);
    m_view.processEvents();
    QFile::remove(extracted.path);
}

}  // namespace varnelo
