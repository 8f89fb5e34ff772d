#pragma once

#include <QList>
#include <QString>

#include <functional>

#include "recitation/mp3cut.h"

namespace varnelo {

class FrameLocator;
class MessageBox;
class SaveFileDialog;

// Start and end of one verse's recitation, in ms from the start of the sura's MP3 file.
struct VerseSpan {
    qint32 start = 0;
    qint32 end = 0;
};

// What the export needs to know of the current sura and range.
struct RangeExportRequest {
    int sura = 0;                 // 1..114
    QString suraListText;         // the sura list's text of the sura
    int RB = 0;                   // range-begin verse index
    int RE = 0;                   // range-end verse index
    QList<VerseSpan> verseTimes;  // one row per verse index
    QString Mp3FilePath;          // the sura's MP3 file
};

// How an export ended.
enum class RangeExportOutcome { Saved, IncorrectRange, Cancelled, Declined, Failed };

// Title field of the tag of every saved range.
inline constexpr char kRangeTagTitle[] = "varnelo.app - Varnelo";

// value as decimal text with "0" prepended until it has length characters.
QString ZeroPad(int value, int length);
// The verse number of a verse index: index k is verse k + 1 in suras 1 and 9, else verse k.
int VerseNumberOfIndex(int sura, int verseIndex);
// "SSS-BBB-EEE.MP3" for the range RB..RE of sura.
QString DefaultRangeFileName(int sura, int RB, int RE);
// The tag written after a saved range.
Id3v1Tag RangeTag(const QString &suraListText, int sura, int RB, int RE);
// path with ".mp3" appended unless it already ends in ".mp3" in any case.
QString WithMp3Extension(const QString &path);

// "Range to MP3": saves the verses RB..RE as an MP3 file cut from the sura's file.
class RangeExport {
public:
    // stopRecitation stops any playing recitation before the file is read.
    RangeExport(MessageBox &messages, SaveFileDialog &dialog, std::function<void()> stopRecitation);

    // The whole command; frames locates the frames of request.Mp3FilePath (in the program a
    // StreamFrameLocator over the engine's stream). Every failure is reported to the user with
    // "Error saving MP3 file" and leaves any existing file as it was.
    RangeExportOutcome cmdRangeToMP3(const RangeExportRequest &request, const FrameLocator &frames);

    // Path of the last file saved, "" before the first.
    QString savedPath() const { return m_savedPath; }
    // Why the last export failed, for a log or a tool; "" when it did not.
    QString failureDetail() const { return m_failureDetail; }

private:
    RangeExportOutcome fail(const QString &detail);

    MessageBox &m_messages;
    SaveFileDialog &m_dialog;
    std::function<void()> m_stopRecitation;
    QString m_savedPath;
    QString m_failureDetail;
};

}  // namespace varnelo
