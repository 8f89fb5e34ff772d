#include "recitation.h"

#include "mp3decode.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtEndian>

#include <cmath>
#include <cstdlib>

namespace varnelo {

namespace {

bool run(const QString &program, const QStringList &args, const QByteArray &input,
         QByteArray *output, QString *error) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(10000)) {
        *error = QStringLiteral("cannot start %1").arg(program);
        return false;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        *error =
            QStringLiteral("%1 failed: %2")
                .arg(program, QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
        return false;
    }
    if (output) {
        *output = process.readAllStandardOutput();
    }
    return true;
}

// First sample louder than the noise floor, or -1.
qsizetype firstSound(const Pcm &pcm) {
    const auto *s = reinterpret_cast<const qint16 *>(pcm.samples.constData());
    for (qsizetype i = 0; i < pcm.frames(); ++i) {
        if (std::abs(int(s[i])) > 600) {
            return i;
        }
    }
    return -1;
}

// Cuts the voice's own lead-in and tail of silence, keeping 20 ms on either side, so that a
// verse's span is where it is heard.
void trimSilence(Pcm &pcm) {
    const auto *s = reinterpret_cast<const qint16 *>(pcm.samples.constData());
    const qsizetype first = firstSound(pcm);
    if (first < 0) {
        return;
    }
    qsizetype last = pcm.frames() - 1;
    while (last > first && std::abs(int(s[last])) <= 600) {
        --last;
    }
    const qsizetype margin = pcm.rate / 50;
    const qsizetype from = qMax<qsizetype>(0, first - margin);
    const qsizetype to = qMin(pcm.frames(), last + 1 + margin);
    pcm.samples = pcm.samples.mid(2 * from, 2 * (to - from));
}

constexpr int kTailMs = 300;

qint32 msOf(qsizetype frames, int rate) {
    return qint32(frames * 1000 / rate);
}

}  // namespace

QString speakableArabic(const QString &uthmani) {
    QString out;
    out.reserve(uthmani.size());
    for (QChar c : uthmani) {
        const char16_t u = c.unicode();
        if ((u >= 0x0653 && u <= 0x065F) || (u >= 0x06D6 && u <= 0x06ED) || u == 0x0640) {
            continue;
        }
        if (u == 0x0670 || u == 0x0671) {
            out += QChar(0x0627);
        } else if ((u >= 0x0621 && u <= 0x064A) || (u >= 0x064B && u <= 0x0652)) {
            out += c;
        } else {
            out += u' ';
        }
    }
    return out.simplified();
}

QString spelledOutCharacters(const QString &text, const SpeechTools &tools) {
    QByteArray phonemes;
    QString error;
    if (!run(tools.espeak, {"-q", "-x", "-v", tools.voice, "--stdin"}, text.toUtf8(), &phonemes,
             &error)) {
        return error;
    }
    // The Arabic voice names an unknown character "letter ..." in its phoneme output.
    return phonemes.contains("l'et@") ? QStringLiteral("a character is read by its name")
                                      : QString();
}

Pcm pcmOfWav(const QByteArray &wav) {
    Pcm pcm;
    if (wav.size() < 12 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE") {
        return pcm;
    }
    qsizetype at = 12;
    int rate = 0;
    bool mono16 = false;
    while (at + 8 <= wav.size()) {
        const QByteArray id = wav.mid(at, 4);
        qsizetype size = qFromLittleEndian<quint32>(wav.constData() + at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt " && body + 16 <= wav.size()) {
            const int channels = qFromLittleEndian<quint16>(wav.constData() + body + 2);
            rate = int(qFromLittleEndian<quint32>(wav.constData() + body + 4));
            const int bits = qFromLittleEndian<quint16>(wav.constData() + body + 14);
            mono16 = channels == 1 && bits == 16;
        } else if (id == "data") {
            // Streamed WAVE output leaves the size open (0 or huge); take what is there.
            if (size == 0 || size > wav.size() - body) {
                size = wav.size() - body;
            }
            if (mono16 && rate > 0) {
                pcm.samples = wav.mid(body, size & ~qsizetype(1));
                pcm.rate = rate;
            }
            return pcm;
        }
        at = body + size + (size & 1);
    }
    return pcm;
}

QByteArray wavOfPcm(const Pcm &pcm) {
    QByteArray wav(44, '\0');
    char *h = wav.data();
    memcpy(h, "RIFF", 4);
    qToLittleEndian<quint32>(quint32(36 + pcm.samples.size()), h + 4);
    memcpy(h + 8, "WAVEfmt ", 8);
    qToLittleEndian<quint32>(16, h + 16);
    qToLittleEndian<quint16>(1, h + 20);
    qToLittleEndian<quint16>(1, h + 22);
    qToLittleEndian<quint32>(quint32(pcm.rate), h + 24);
    qToLittleEndian<quint32>(quint32(pcm.rate * 2), h + 28);
    qToLittleEndian<quint16>(2, h + 32);
    qToLittleEndian<quint16>(16, h + 34);
    memcpy(h + 36, "data", 4);
    qToLittleEndian<quint32>(quint32(pcm.samples.size()), h + 40);
    return wav + pcm.samples;
}

Recitation reciteVerses(const QStringList &texts, const SpeechTools &tools,
                        const QString &workDir) {
    Recitation result;
    const auto fail = [&](const QString &what) {
        result.mp3.clear();
        result.spans.clear();
        result.error = what;
        return result;
    };
    Pcm whole;
    QList<QPair<qsizetype, qsizetype>> frames;  // per verse: first and last+1 sample
    for (const QString &text : texts) {
        QByteArray wav;
        QString error;
        if (!run(tools.espeak, {"-v", tools.voice, "--stdout", "--stdin"},
                 speakableArabic(text).toUtf8(), &wav, &error)) {
            return fail(error);
        }
        Pcm pcm = pcmOfWav(wav);
        if (pcm.rate == 0 || (whole.rate != 0 && pcm.rate != whole.rate)) {
            return fail(QStringLiteral("%1 gave no mono 16-bit WAVE").arg(tools.espeak));
        }
        whole.rate = pcm.rate;
        trimSilence(pcm);
        if (!frames.isEmpty()) {
            whole.samples.append(QByteArray(qsizetype(whole.rate) * tools.gapMs / 1000 * 2, '\0'));
        }
        const qsizetype start = whole.frames();
        whole.samples.append(pcm.samples);
        frames.append({start, whole.frames()});
    }
    if (frames.isEmpty()) {
        return fail(QStringLiteral("no verses to speak"));
    }
    // A tail of silence so that the last verse's stored end, kStoredEndLead past its spoken end,
    // lies inside the encoded stream.
    static_assert(kTailMs > kStoredEndLead);
    whole.samples.append(QByteArray(qsizetype(whole.rate) * kTailMs / 1000 * 2, '\0'));

    const QDir dir(workDir);
    const QString wavPath = dir.filePath(QStringLiteral("speech.wav"));
    const QString mp3Path = dir.filePath(QStringLiteral("speech.mp3"));
    QFile wavFile(wavPath);
    if (!wavFile.open(QIODevice::WriteOnly) || wavFile.write(wavOfPcm(whole)) < 0) {
        return fail(QStringLiteral("cannot write %1").arg(wavPath));
    }
    wavFile.close();
    QString error;
    if (!run(tools.lame, {"--quiet", "-b", "48", "-m", "m", wavPath, mp3Path}, {}, nullptr,
             &error)) {
        return fail(error);
    }
    QFile mp3File(mp3Path);
    if (!mp3File.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("lame wrote no %1").arg(mp3Path));
    }
    result.mp3 = mp3File.readAll();
    mp3File.close();

    // Where the decoder puts the first sound tells how far the encoder shifted everything.
    const Pcm decoded = decodedMp3(mp3Path, &error);
    if (decoded.rate == 0) {
        return fail(error);
    }
    const qsizetype before = firstSound(whole);
    const qsizetype after = firstSound(decoded);
    if (decoded.rate != whole.rate || before < 0 || after < 0) {
        return fail(QStringLiteral("the encoded recitation does not decode to the spoken one"));
    }
    result.lengthMs = qint32(decoded.lengthMs());
    const qsizetype shift = after - before;
    result.encoderOffsetMs = int(shift * 1000 / whole.rate);
    for (const auto &[first, last] : frames) {
        result.spans.append({msOf(first + shift, whole.rate),
                             qMin(msOf(last + shift, whole.rate), result.lengthMs)});
    }
    QFile::remove(wavPath);
    QFile::remove(mp3Path);
    return result;
}

QList<VerseSpan> estimatedSpans(const QStringList &texts) {
    QList<VerseSpan> spans;
    qint32 at = 0;
    for (const QString &text : texts) {
        const qint32 length = qint32(800 + 70 * speakableArabic(text).size());
        spans.append({at, at + length});
        at += length + 350;
    }
    return spans;
}

Pcm decodedMp3(const QString &mp3Path, QString *error) {
    Pcm pcm;
    const DecodedMp3 decoded =
        decodeAsPlayed(mp3Path, [&](const qint16 *stereo, qint64 frames, int) {
            const qsizetype at = pcm.samples.size();
            pcm.samples.resize(at + qsizetype(frames) * 2);
            auto *mono = reinterpret_cast<qint16 *>(pcm.samples.data() + at);
            static_assert(kDecodedChannels == 2);
            for (qint64 i = 0; i < frames; ++i) {
                mono[i] = qint16((int(stereo[2 * i]) + int(stereo[2 * i + 1])) / 2);
            }
        });
    if (!decoded.error.isEmpty()) {
        *error = decoded.error;
        return {};
    }
    pcm.rate = decoded.rate;
    return pcm;
}

}  // namespace varnelo
