#include <gtest/gtest.h>

#include "archivebuilder.h"
#include "data/suracatalogue.h"
#include "platform/fakeaudiooutput.h"
#include "recitation/clsfmod.h"
#include "recitation/infoframe.h"
#include "recitation/mp3stream.h"
#include "recitation/mpegframewalk.h"
#include "timingsbuilder.h"
#include "versejoin.h"

#include "ciskip.h"
#include "datakittestsupport.h"
#include "toolrun.h"

#include <QDir>
#include <QProcess>

#include <cstdio>
#include <memory>
#include <vector>

using namespace varnelo;
using namespace varnelo::test;

namespace {

constexpr int kLoud = 600;  // above decoded silence, as the recitation measures speech
// Sura 1 has no opening formula; 103 and 108 open with 001001.mp3.
const QList<int> kSuras = {1, 103, 108};

struct Encoding {
    const char *name;
    QStringList lameArgs;
};
const Encoding kEncodings[] = {
    {"cbr64", {"-b", "64", "-m", "m"}},                       // MPEG 2, 22050 Hz, Info tag
    {"vbr44", {"--resample", "44.1", "-V", "6", "-m", "m"}},  // MPEG 1, Xing tag
    {"cbr32", {"-b", "32", "-m", "m"}},  // frames too small for a tag: no gapless trim
};

// Names the encoding in test names and messages.
void PrintTo(const Encoding &encoding, std::ostream *os) {
    *os << encoding.name;
}

bool runProgram(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The left channel of the file as the engine's stream decodes it.
std::vector<qint16> decoded(const QString &path) {
    Mp3Stream stream;
    std::vector<qint16> left;
    if (!stream.open(path) || !stream.waitForIndex()) {
        return left;
    }
    std::vector<qint16> buffer(2 * 4096);
    for (qint64 n; (n = stream.read(buffer.data(), 4096)) > 0;) {
        for (qint64 i = 0; i < n; ++i) {
            left.push_back(buffer[size_t(2 * i)]);
        }
    }
    return left;
}

std::optional<MpegStreamStart> streamStart(const QByteArray &mp3) {
    return findMpegStreamStart(reinterpret_cast<const uchar *>(mp3.constData()), mp3.size());
}

// Offsets of the audio frames of an MP3 file.
std::vector<qint64> frameOffsets(const QByteArray &mp3) {
    std::vector<qint64> offsets;
    const std::optional<MpegStreamStart> start = streamStart(mp3);
    if (start) {
        MpegFrameWalker walker(reinterpret_cast<const uchar *>(mp3.constData()), *start);
        for (qint64 at = walker.next(); at >= 0; at = walker.next()) {
            offsets.push_back(at);
        }
    }
    return offsets;
}

QList<VerseSpan> storedSpans(const QString &pos, int sura) {
    for (const StoredMember &m : readArchive(pos).members) {
        if (m.name == SuraFileNumber(sura) + ".pos") {
            return spansOfPosMember(m.stored);
        }
    }
    return {};
}

}  // namespace

// Per-verse sets of synthetic speech, each verse followed by 300 ms of silence as recitations
// are, encoded three ways; made once for all tests.
class VerseSets : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (s_dir || !speechToolsInstalled()) {
            return;
        }
        s_dir = std::make_unique<QTemporaryDir>();
        const QDir dir(s_dir->path());
        QStringList names;
        for (int sura : kSuras) {
            for (int k = 0; k < verseCountOf(sura); ++k) {
                if (!names.contains(verseFileName(sura, k))) {
                    names.append(verseFileName(sura, k));
                }
            }
        }
        for (const Encoding &e : kEncodings) {
            dir.mkpath(e.name);
        }
        const QString wav = dir.filePath("speech.wav");
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (!runProgram(SpeechTools{}.espeak,
                            {"-v", "en", "-w", wav, QString("verse number %1").arg(i + 1)})) {
                return;
            }
            Pcm pcm = pcmOfWav(fileBytes(wav));
            pcm.samples.append(QByteArray(pcm.rate * 3 / 10 * 2, '\0'));
            writeFile(wav, wavOfPcm(pcm));
            for (const Encoding &e : kEncodings) {
                const QString mp3 = dir.filePath(QString(e.name) + "/" + names[i]);
                if (!runProgram(SpeechTools{}.lame,
                                QStringList{"--quiet"} + e.lameArgs + QStringList{wav, mp3})) {
                    return;
                }
            }
        }
        s_ready = true;
    }

    void SetUp() override {
        if (!s_ready) {
            VARNELO_SKIP_UNLESS_CI("espeak-ng or lame is not installed");
        }
    }
    static QString setDir(const char *encoding) { return QDir(s_dir->path()).filePath(encoding); }
    // A copy of a set to spoil, in a folder of its own under into.
    static QString copyOfSet(const QTemporaryDir &into, const char *encoding) {
        const QDir from(setDir(encoding));
        const QString to = into.filePath(QString("set-%1").arg(++s_copies));
        QDir().mkpath(to);
        for (const QString &name : from.entryList(QDir::Files)) {
            QFile::copy(from.filePath(name), to + "/" + name);
        }
        return to;
    }

    static inline std::unique_ptr<QTemporaryDir> s_dir;
    static inline bool s_ready = false;
    static inline int s_copies = 0;
};

class VerseJoin : public VerseSets, public ::testing::WithParamInterface<Encoding> {};

TEST(VerseJoinNames, OpeningFormulaIsTheFirstFileOfSura1) {
    EXPECT_EQ(verseFileName(2, 0), "001001.mp3");
    EXPECT_EQ(verseFileName(2, 255), "002255.mp3");
    EXPECT_EQ(verseFileName(1, 0), "001001.mp3");
    EXPECT_EQ(verseFileName(1, 6), "001007.mp3");
    EXPECT_EQ(verseFileName(9, 0), "009001.mp3");
    EXPECT_EQ(verseFileName(9, 128), "009129.mp3");
}

// The joined file decodes to each verse file's own decode at the sample its stored start names,
// within 1 LSB, but for the samples of the two granules after a join that overlap the file
// before; and the engine, playing a verse as verse mode does, plays all of its sound.
TEST_P(VerseJoin, EachVerseIsItsFileExactlyAndPlaysWhole) {
    const Encoding &encoding = GetParam();
    QTemporaryDir out;
    const ToolRun run = runTool(VARNELO_DATAKIT, {"join", setDir(encoding.name), out.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("warning")) << run.err.toStdString();
    int largestHeadDiff = 0;
    int largestDiff = 0;
    for (int sura : kSuras) {
        const QString mp3 = out.filePath("mp3/" + SuraFileNumber(sura) + ".mp3");
        const std::vector<qint16> joined = decoded(mp3);
        const QList<VerseSpan> spans = storedSpans(out.filePath("data/pos.dat"), sura);
        ASSERT_EQ(spans.size(), verseCountOf(sura));
        FakeAudioOutput output;
        clsFMod engine(output);
        ASSERT_TRUE(engine.OpenMP3File(mp3));
        const qint64 rate = engine.stream().sampleRate();
        for (int k = 0; k < spans.size(); ++k) {
            const std::string verse = verseName(sura, k).toStdString();
            const QString path = setDir(encoding.name) + "/" + verseFileName(sura, k);
            const std::optional<MpegStreamStart> alone = streamStart(fileBytes(path));
            ASSERT_TRUE(alone) << verse;
            std::vector<qint16> own = decoded(path);
            // An untagged first file plays the decoder's own delay, which the joined file skips.
            if (k == 0 && !alone->gapless()) {
                own.erase(own.begin(), own.begin() + kDecoderDelaySamples);
            }
            // The granules a join's overlap reaches: two after the previous file's last frame.
            const qint64 head = k == 0 ? 0 : std::max<qint64>(0, 1152 - alone->decoderSkip());
            const auto matchesAt = [&](qint64 at) {
                if (at < 0 || at + qint64(own.size()) > qint64(joined.size())) {
                    return false;
                }
                for (qint64 i = head; i < qint64(own.size()); ++i) {
                    if (std::abs(joined[size_t(at + i)] - own[size_t(i)]) > 1) {
                        return false;
                    }
                }
                return true;
            };
            // The verse's file is found in the joined decode at exactly one sample, in the
            // millisecond of its stored start.
            const qint64 near = spans[k].start * rate / 1000;
            qint64 found = -1;
            for (qint64 at = near - 2000; at < near + 2000 && found < 0; ++at) {
                found = matchesAt(at) ? at : -1;
            }
            ASSERT_GE(found, 0) << verse;
            EXPECT_EQ(found * 1000 / rate, spans[k].start) << verse;
            for (qint64 i = 0; i < qint64(own.size()); ++i) {
                int &largest = i < head ? largestHeadDiff : largestDiff;
                largest = std::max(largest, std::abs(joined[size_t(found + i)] - own[size_t(i)]));
            }

            ASSERT_TRUE(playAsVerseMode(engine, output, spans[k].start, spans[k].end)) << verse;
            const qint64 from = engine.stream().msToSample(spans[k].start);
            const qint64 played = output.recordedFrames();
            qint64 first = 0;
            qint64 last = qint64(own.size()) - 1;
            while (first < last && std::abs(own[size_t(first)]) <= kLoud) {
                ++first;
            }
            while (last > first && std::abs(own[size_t(last)]) <= kLoud) {
                --last;
            }
            EXPECT_LE(from, found + first) << verse;
            EXPECT_GT(from + played, found + last) << verse;
            for (qint64 i = 0; i < played; i += 97) {
                ASSERT_EQ(output.recorded()[size_t(2 * i)], joined[size_t(from + i)]) << verse;
            }
        }
    }
    std::printf(
        "[ %s ] largest difference from the verse files: %d, in the granules after a "
        "join: %d\n",
        encoding.name, largestDiff, largestHeadDiff);
}

INSTANTIATE_TEST_SUITE_P(Encodings, VerseJoin, ::testing::ValuesIn(kEncodings),
                         [](const auto &info) { return std::string(info.param.name); });

// A set with a missing, mixed, truncated or cut-out file is refused with the files named, and
// the folder written to keeps its files as they were.
TEST_F(VerseSets, BadSetsAreRefusedAndWriteNothing) {
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    QDir().mkpath(out + "/mp3");
    QDir().mkpath(out + "/data");
    writeFile(out + "/mp3/108.mp3", "old recitation");
    const QString pos = out + "/data/pos.dat";
    ASSERT_EQ(updatePosArchive(pos, {{114, QList<VerseSpan>(7, VerseSpan{0, 10})}}), QString());
    const QByteArray oldPos = fileBytes(pos);

    const auto refusal = [&](const QString &set, const QStringList &says) {
        const ToolRun run = runTool(VARNELO_DATAKIT, {"join", set, out, "--suras", "103,108"});
        EXPECT_EQ(run.exitCode, 1);
        for (const QString &s : says) {
            EXPECT_TRUE(run.err.contains(s.toUtf8())) << run.err.toStdString();
        }
        EXPECT_EQ(fileBytes(out + "/mp3/108.mp3"), "old recitation");
        EXPECT_FALSE(QFile::exists(out + "/mp3/103.mp3"));
        EXPECT_EQ(fileBytes(pos), oldPos);
    };
    QTemporaryDir work;
    const QString set = copyOfSet(work, "cbr64");
    QFile::remove(set + "/103002.mp3");
    QFile::remove(set + "/103003.mp3");
    QFile::remove(set + "/108003.mp3");
    refusal(set, {"3 verse file(s) missing: 103002.mp3-103003.mp3, 108003.mp3"});

    const QString mixed = copyOfSet(work, "cbr64");
    QFile::remove(mixed + "/108002.mp3");
    QFile::copy(setDir("vbr44") + "/108002.mp3", mixed + "/108002.mp3");
    refusal(mixed, {"108002.mp3 is MPEG 1 layer III, 44100 Hz, mono, but the other files of sura "
                    "108 are MPEG 2 layer III, 22050 Hz, mono"});

    // Cut in a frame, at a frame's start (the tag counts the frames), and out of a longer file
    // so that its first frame reaches back into the bit reservoir.
    const QByteArray whole = fileBytes(setDir("cbr64") + "/103001.mp3");
    const std::vector<qint64> frames = frameOffsets(whole);
    ASSERT_GT(frames.size(), 10u);
    qint64 borrowing = 1;
    while (borrowing < qint64(frames.size()) && quint8(whole[frames[size_t(borrowing)] + 4]) == 0) {
        ++borrowing;  // main_data_begin (MPEG 2: the first byte of the side information)
    }
    ASSERT_LT(borrowing, qint64(frames.size()));
    const struct {
        QByteArray bytes;
        QString says;
    } damaged[] = {
        {whole.left(whole.size() - 50), "103001.mp3: truncated: the file ends"},
        {whole.left(frames.back()), QString("103001.mp3: its info frame announces %1 audio frames "
                                            "but it holds %2")
                                        .arg(frames.size())
                                        .arg(frames.size() - 1)},
        {whole.mid(frames[size_t(borrowing)]), "103001.mp3: audio frame 0 (byte 0) takes"},
    };
    for (const auto &[bytes, says] : damaged) {
        const QString spoilt = copyOfSet(work, "cbr64");
        writeFile(spoilt + "/103001.mp3", bytes);
        refusal(spoilt, {says});
    }

    // A good run replaces the file and keeps the other suras' timings. A changed byte in the
    // audio only gets a warning: volume tools change frames without updating the tag.
    const QString changed = copyOfSet(work, "cbr64");
    QByteArray bytes = fileBytes(changed + "/108002.mp3");
    bytes[frameOffsets(bytes)[5] + 40] = char(bytes[frameOffsets(bytes)[5] + 40] ^ 0x10);
    writeFile(changed + "/108002.mp3", bytes);
    const ToolRun good = runTool(VARNELO_DATAKIT, {"join", changed, out, "--suras", "108"});
    ASSERT_EQ(good.exitCode, 0) << good.err.toStdString();
    EXPECT_TRUE(
        good.err.contains("108002.mp3: the audio does not match the checksum in its LAME "
                          "tag"))
        << good.err.toStdString();
    EXPECT_EQ(storedSpans(pos, 114).size(), 7);
    EXPECT_EQ(storedSpans(pos, 108).size(), verseCountOf(108));
    EXPECT_NE(fileBytes(out + "/mp3/108.mp3"), "old recitation");
}
