#pragma once

#include "timingsbuilder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace varnelo {

// The outside programs a synthetic recitation is made with.
struct SpeechTools {
    QString espeak = QStringLiteral("espeak-ng");
    QString lame = QStringLiteral("lame");
    QString voice = QStringLiteral("ar");
    int gapMs = 350;  // silence between verses
};

// Uthmani text made readable for the speech voice: Quranic annotation marks dropped (the voice
// would spell them out by name), dagger and wasla alef as plain alef, anything else that is not
// an Arabic letter or vowel mark turned into a blank.
QString speakableArabic(const QString &uthmani);

// Characters the voice spells out instead of reading: empty when espeak -x shows none.
QString spelledOutCharacters(const QString &text, const SpeechTools &tools);

// Mono 16-bit PCM with its sample rate.
struct Pcm {
    QByteArray samples;
    int rate = 0;
    qsizetype frames() const { return samples.size() / 2; }
    // -1 without audio.
    qint64 lengthMs() const { return rate > 0 ? frames() * 1000 / rate : -1; }
};
// The PCM of a RIFF WAVE file holding mono 16-bit samples; rate 0 when it is not one.
Pcm pcmOfWav(const QByteArray &wav);
QByteArray wavOfPcm(const Pcm &pcm);

struct Recitation {
    QByteArray mp3;
    QList<VerseSpan> spans;   // per verse index, where it is spoken in the decoded MP3 (ms)
    int encoderOffsetMs = 0;  // where the first sound sits in the MP3 relative to the input
    qint32 lengthMs = 0;      // of the decoded MP3
    QString error;
};

// Speaks every text (one per verse index) with a gap between them and a tail of silence longer
// than kStoredEndLead after the last, encodes the whole as MP3 and measures where each verse is
// spoken in the decoded MP3. workDir holds the temporary files.
Recitation reciteVerses(const QStringList &texts, const SpeechTools &tools, const QString &workDir);

// Timings estimated from text length for a sura without audio: increasing, non-overlapping.
QList<VerseSpan> estimatedSpans(const QStringList &texts);

// The mono mix of an MP3 file as the program plays it (decodeAsPlayed); rate 0 and error set when
// it does not play whole.
Pcm decodedMp3(const QString &mp3Path, QString *error);

}  // namespace varnelo
