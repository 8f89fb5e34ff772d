#include <gtest/gtest.h>

#include <QFile>

#include "../filebytes.h"
#include "../testapplication.h"
#include "mp3fixture.h"
#include "platform/fakeaudiooutput.h"
#include "recitation/clsfmod.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

constexpr int kRate = 44100;
constexpr qint64 kOneMs = kRate / 1000;

qint32 positionOf(clsFMod &fmod) {
    qint32 pos = 0;
    fmod.GetPosition(pos);
    return pos;
}

qint32 byteOffsetOf(clsFMod &fmod) {
    qint32 bytes = 0;
    fmod.GetPositionByBytes(bytes);
    return bytes;
}

// An engine on a fake output with a 12 s file open: a 1 kHz burst at 250 ms past every second.
class ClsFModTest : public testing::Test {
protected:
    void SetUp() override {
        VARNELO_SKIP_WITHOUT_LAME();
        std::vector<qint64> starts;
        for (qint64 s = 0; s < 12; ++s) {
            starts.push_back(s * kRate + 250 * kOneMs);
        }
        m_bursts = m_maker.make("bursts", bursts(kRate, 2, 12 * kRate, starts, 8820, 1000, 0.5),
                                {"-V", "2", "--add-id3v2", "--tt", "Sura"});
        ASSERT_TRUE(m_fmod.OpenMP3File(m_bursts));
    }

    // Lets the sound play in 1 ms steps, polling like the controller, until it stops.
    void playOut() {
        for (qint64 t = 0; t < 20000 && m_fmod.isPlaying(); ++t) {
            m_output.advance(1);
            positionOf(m_fmod);
        }
    }

    // Opens a 3 s 1 kHz tone of the given amplitude.
    void openTone(double amplitude) {
        const QString path =
            m_maker.make("tone", tone(kRate, 2, 3 * kRate, 1000, amplitude), {"-b", "192"});
        ASSERT_TRUE(m_fmod.OpenMP3File(path));
    }

    // Level of the tone in channel `channel` when from..to plays out, skipping `skipFrames`.
    double playedLevel(qint32 from, qint32 to, int channel, qint64 skipFrames = 0) {
        m_output.clearRecorded();
        m_fmod.Play(from, to);
        playOut();
        return toneLevelDb(m_output.recorded().data() + 2 * skipFrames, kRate, 2, channel, kRate,
                           1000);
    }

    Mp3Maker m_maker;
    QString m_bursts;
    FakeAudioOutput m_output;
    clsFMod m_fmod{m_output};
};

}  // namespace

TEST_F(ClsFModTest, PlayLeadsBy200AndStopsAtTheEndLess200) {
    EXPECT_EQ(m_fmod.StreamLength(), 12000);
    EXPECT_EQ(m_output.bufferMs(), 150);
    m_fmod.Play(5000, 9000);
    EXPECT_TRUE(m_fmod.PauseBreaked);
    EXPECT_EQ(positionOf(m_fmod), 5200);
    m_output.advance(1000);
    EXPECT_EQ(positionOf(m_fmod), 6200);
    playOut();
    EXPECT_FALSE(m_fmod.isPlaying());
    EXPECT_EQ(positionOf(m_fmod), 9000);  // stream time 8800, and it stays there
    m_output.advance(100);
    EXPECT_EQ(positionOf(m_fmod), 9000);

    // Exactly the samples of 5000..8800 ms were played, the same a plain decode gives there.
    Mp3Stream reference;
    ASSERT_TRUE(reference.open(m_bursts));
    const qint64 first = reference.msToSample(5000);
    const qint64 count = reference.msToSample(8800) - first;
    ASSERT_EQ(m_output.recordedFrames(), count);
    std::vector<qint16> expected(size_t(count) * 2);
    reference.seekSample(first);
    ASSERT_EQ(reference.read(expected.data(), count), count);
    EXPECT_EQ(m_output.recorded(), expected);
    // The bursts sit where they were put: 5250, 6250, 7250, 8250 ms.
    for (int k = 0; k < 4; ++k) {
        const qint64 at = firstLoudFrame(m_output.recorded().data(), count, 2, 8000,
                                         qint64(k) * kRate + 100 * kOneMs);
        EXPECT_NEAR(at, k * kRate + 250 * kOneMs, kOneMs) << k;
    }
}

TEST_F(ClsFModTest, PlayFromTheStartToTheEndOfTheFileAndMovingTheEnd) {
    m_fmod.Play(3000, 4000);
    m_output.advance(300);
    m_fmod.Play(0, 0);  // from the start, no end: the whole file
    playOut();
    EXPECT_EQ(positionOf(m_fmod), 12200);
    EXPECT_EQ(m_output.recordedFrames(), 300 * kRate / 1000 + 12 * kRate);

    // A running section's end moves with SetEnd, earlier or later.
    m_fmod.Play(1000, 2000);
    m_fmod.SetEnd(3000);
    playOut();
    EXPECT_EQ(positionOf(m_fmod), 3000);
    m_fmod.Play(1000, 5000);
    m_output.advance(500);
    m_fmod.SetEnd(1400);  // already passed: stops at the next progress
    m_output.advance(1);
    EXPECT_FALSE(m_fmod.isPlaying());
}

TEST_F(ClsFModTest, PauseHoldsThePositionAndPauseBreakedFollows) {
    EXPECT_FALSE(m_fmod.PauseBreaked);
    m_fmod.Play(2000, 6000);
    m_output.advance(500);
    m_fmod.PausePlaying();
    EXPECT_FALSE(m_fmod.PauseBreaked);
    m_output.advance(2000);
    EXPECT_EQ(positionOf(m_fmod), 2700);
    m_fmod.ResumePlaying();
    EXPECT_TRUE(m_fmod.PauseBreaked);
    m_output.advance(500);
    EXPECT_EQ(positionOf(m_fmod), 3200);
    // Moving a paused stream keeps it paused.
    m_fmod.PausePlaying();
    m_fmod.SetPositionInSec(4000);
    m_output.advance(300);
    EXPECT_EQ(positionOf(m_fmod), 4200);
    // A caller may hold the flag itself; Play sets it again.
    m_fmod.ResumePlaying();
    m_fmod.PauseBreaked = false;
    m_fmod.Play(2000, 6000);
    EXPECT_TRUE(m_fmod.PauseBreaked);
    EXPECT_FALSE(m_output.isPaused());
}

TEST_F(ClsFModTest, VolumeAndEqualizerShapeThePlayedSound) {
    const std::pair<int, int> levels[] = {{0, 0},      {1, 0},     {2, 1},  {500, 128}, {498, 127},
                                          {1000, 255}, {999, 255}, {-5, 0}, {2000, 255}};
    for (const auto &[slider, level] : levels) {
        m_fmod.SetVolume(slider);
        EXPECT_EQ(m_fmod.masterVolume(), level) << slider;
    }
    openTone(0.25);
    const auto atVolume = [&](int volume) {
        m_fmod.SetVolume(volume);
        return playedLevel(1000, 2400, 0);
    };
    const double full = atVolume(1000);
    EXPECT_NEAR(full, -12.04, 0.5);
    EXPECT_NEAR(atVolume(500) - full, 20 * std::log10(128.0 / 255), 0.05);
    EXPECT_LT(atVolume(0), -100);

    m_fmod.SetVolume(1000);
    openTone(0.1);
    EqGainTable gains{};
    m_fmod.bindEqualizerGains(&gains);
    const auto level = [&] { return playedLevel(500, 2000, 1, 4410); };
    const double flat = level();
    gains[4] = 6;
    m_fmod.EnableEqualizer();
    m_fmod.SetEqualizerValue();
    EXPECT_NEAR(level() - flat, 6, 1);
    gains[4] = -9;
    m_fmod.SetEqualizerValue();
    EXPECT_NEAR(level() - flat, -9, 1);
    m_fmod.DisableEqualizer();
    EXPECT_NEAR(level() - flat, 0, 0.1);
    m_fmod.bindEqualizerGains(nullptr);
}

TEST_F(ClsFModTest, PositionWatchesFireOnceWhenTheReportedPositionGetsThere) {
    std::vector<std::pair<int, qint32>> fired;
    m_fmod.watchPosition(6000, [&](qint32 pos) { fired.push_back({1, pos}); });
    const int cancelled = m_fmod.watchPosition(6500, [&](qint32 pos) {
        fired.push_back({2, pos});
    });
    m_fmod.watchPosition(7000, [&](qint32 pos) {
        fired.push_back({3, pos});
        m_fmod.StopPlaying();  // a callback may act on the engine
    });
    m_fmod.cancelWatch(cancelled);
    m_fmod.Play(5000, 9000);
    m_output.advance(3000);
    EXPECT_EQ(fired, (std::vector<std::pair<int, qint32>>{{1, 6000}, {3, 7000}}));
    EXPECT_FALSE(m_fmod.isPlaying());

    // A new file drops the watches of the old one.
    m_fmod.watchPosition(1000, [&](qint32 pos) { fired.push_back({4, pos}); });
    ASSERT_TRUE(m_fmod.OpenMP3File(m_bursts));
    m_fmod.Play(0, 3000);
    m_output.advance(2000);
    EXPECT_EQ(fired.size(), 2u);
}

TEST_F(ClsFModTest, ASectionEndingBetweenSamplesIsReachedAndWatchedToTheMillisecond) {
    // 8801 ms falls between two samples at 44.1 kHz: the section still ends at exactly that
    // stream time, so a watch at its end fires and the position reports the end, without polling.
    std::vector<qint32> fired;
    m_fmod.watchPosition(9001, [&](qint32 pos) { fired.push_back(pos); });
    m_fmod.Play(5000, 9001);
    m_output.advance(5000);
    EXPECT_FALSE(m_fmod.isPlaying());
    EXPECT_EQ(fired, std::vector<qint32>{9001});
    EXPECT_EQ(positionOf(m_fmod), 9001);
}

TEST_F(ClsFModTest, ProgressReachesTheEngineOnlyWhenSomethingIsDue) {
    // Four seconds play in 1 ms steps: the engine looks only at the watch and at the end.
    m_fmod.watchPosition(7000, [](qint32) {});
    m_fmod.Play(5000, 9000);
    const int before = m_fmod.progressRuns();
    m_output.advance(4000);
    EXPECT_FALSE(m_fmod.isPlaying());
    EXPECT_LE(m_fmod.progressRuns() - before, 3);

    // Without watches or an end, nothing before the stream runs out.
    m_fmod.Play(10000, 0);
    const int whole = m_fmod.progressRuns();
    m_output.advance(1000);
    EXPECT_EQ(m_fmod.progressRuns(), whole);
    m_fmod.StopPlaying();
}

TEST_F(ClsFModTest, TheOutputIsToldTheFrameAWatchFiresOn) {
    // The output may report progress at that very frame instead of at its next tick: one frame
    // earlier is too early.
    bool fired = false;
    m_fmod.watchPosition(7000, [&](qint32) { fired = true; });
    m_fmod.Play(5000, 9000);
    const qint64 due = m_output.dueFrame();
    ASSERT_GT(due, 0);
    m_output.advanceFrames(due - 1);
    m_output.reportProgress();
    EXPECT_FALSE(fired);
    m_output.advanceFrames(1);
    m_output.reportProgress();
    EXPECT_TRUE(fired);
    // Then the section's end is next.
    EXPECT_GT(m_output.dueFrame(), due);
    m_fmod.StopPlaying();
}

TEST_F(ClsFModTest, ByteOffsetOfTheFramePlaying) {
    Mp3Stream reference;
    ASSERT_TRUE(reference.open(m_bursts));
    for (const qint32 ms : {0, 1234, 5000, 11999}) {
        m_fmod.SetPositionInSec(ms);
        EXPECT_EQ(byteOffsetOf(m_fmod), reference.frameOffsetAt(ms)) << ms;
    }
    // While playing, position and offset follow the sound, not the device's read-ahead.
    m_output.setReadAhead(kRate / 5);
    m_fmod.Play(2000, 9000);
    m_output.advance(1000);
    EXPECT_EQ(positionOf(m_fmod), 3200);
    EXPECT_EQ(byteOffsetOf(m_fmod), reference.frameOffsetAt(3000));
    // Moving a playing stream moves the sound.
    m_fmod.SetPositionInSec(8000);
    m_output.clearRecorded();
    m_output.advance(500);
    EXPECT_NEAR(firstLoudFrame(m_output.recorded().data(), m_output.recordedFrames(), 2, 8000),
                250 * kOneMs, kOneMs);
}

TEST_F(ClsFModTest, BadFilesLeaveTheEngineUsable) {
    int messages = 0;
    FakeAudioOutput output;
    clsFMod fmod(output, [&](const QString &, const QString &) { ++messages; });
    EXPECT_EQ(byteOffsetOf(fmod), -1);  // nothing open yet
    QFile good(m_bursts);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QStringList bad = {m_maker.dir() + "/001.mp3", m_maker.writeFile("empty.mp3", {}),
                             m_maker.writeFile("junk.mp3", QByteArray(100000, '\x5a')),
                             m_maker.writeFile("cut.mp3", good.read(200))};
    for (const QString &path : bad) {
        ASSERT_TRUE(fmod.OpenMP3File(m_bursts));
        fmod.Play(1000, 3000);
        EXPECT_FALSE(fmod.OpenMP3File(path)) << path.toStdString();
        EXPECT_EQ(fmod.StreamLength(), 0);
        EXPECT_FALSE(fmod.isPlaying());
        fmod.Play(1000, 3000);
        output.advance(10);
        positionOf(fmod);
        fmod.PausePlaying();
        fmod.ResumePlaying();
        fmod.SetPositionInSec(500);
        EXPECT_EQ(byteOffsetOf(fmod), -1);
        fmod.StopPlaying();
        fmod.CloseAll();
    }
    EXPECT_EQ(messages, 0);
    ASSERT_TRUE(fmod.OpenMP3File(m_bursts));
    output.clearRecorded();
    fmod.Play(1000, 1500);
    output.advance(400);
    EXPECT_GT(output.recordedFrames(), 0);
}

TEST(ClsFMod, WithoutASoundDeviceItSaysSoOnceAndCarriesOn) {
    FakeAudioOutput none(false);
    QStringList messages;
    clsFMod fmod(none, [&](const QString &, const QString &text) { messages << text; });
    EXPECT_EQ(messages, QStringList{"FMOD Cannot initialize because of an error.\r\n"
                                    "Error initializing output device."});
    fmod.Play(0, 1000);
    fmod.PausePlaying();
    fmod.ResumePlaying();
    fmod.SetVolume(700);
    fmod.EnableEqualizer();
    fmod.SetEqualizerValue();
    positionOf(fmod);
    fmod.CloseAll();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(none.recordedFrames(), 0);

    fmod.FMOD_Initialize(300, 44100, 65, 4, 2, 4, 0);
    EXPECT_EQ(messages.last(), "You can only have a maximum of 64 channels.");
    const std::pair<int, const char *> texts[] = {
        {0, "No errors"},
        {12, "Not enough memory "},
        {19, "An error occured trying to open the specified CD device"},
        {20, "Unknown error"},
        {-1, "Unknown error"}};
    for (const auto &[code, text] : texts) {
        EXPECT_EQ(clsFMod::FModErrorText(code), text) << code;
    }
}

// A seek far into a long file on a stalled disk leaves the device's pull waiting for the frame
// walk; stopping, a new section and a new file still return at once, and with the disk back the
// section plays from its exact sample.
TEST(ClsFMod, StopANewSectionAndANewFileDoNotWaitForAStalledFrameWalk) {
    VARNELO_SKIP_WITHOUT_LAME();
    TestCoreApplication app;
    Mp3Maker maker;
    const QString piece =
        maker.make("piece", tone(kRate, 2, kRate * 10, 440, 0.3), {"-t", "-b", "128"});
    ASSERT_FALSE(piece.isEmpty());
    const QString path = maker.writeFile("long.mp3", readFileBytes(piece).repeated(15));
    WalkGate gate;
    FakeAudioOutput output(true, FakeAudioOutput::Mode::Paced);
    clsFMod fmod(output);
    fmod.stream().setWalkReader(gate.reader());
    ASSERT_TRUE(fmod.OpenMP3File(path));
    gate.waitUntilHeld();
    const auto pullWaits = [&] { return fmod.stream().readerWaiting(); };

    fmod.Play(140000, 141000);
    ASSERT_TRUE(eventually(pullWaits));
    fmod.StopPlaying();
    EXPECT_FALSE(fmod.isPlaying());
    ASSERT_FALSE(gate.isOpen()) << "the stop waited for the walk";
    fmod.Play(120000, 121000);
    ASSERT_TRUE(eventually(pullWaits));
    fmod.Play(130000, 131000);
    ASSERT_TRUE(eventually(pullWaits));
    ASSERT_TRUE(fmod.OpenMP3File(path));
    fmod.Play(140000, 141000);
    ASSERT_TRUE(eventually(pullWaits));
    fmod.CloseAll();
    EXPECT_FALSE(gate.isOpen());

    gate.open();
    ASSERT_TRUE(fmod.OpenMP3File(path));
    output.clearRecorded();
    fmod.Play(140000, 140700);
    ASSERT_TRUE(eventually([&] { return !output.isActive(); }));
    Mp3Stream reference;
    ASSERT_TRUE(reference.open(path));
    const qint64 first = reference.msToSample(140000);
    const qint64 count = reference.msToSample(140500) - first;
    ASSERT_EQ(output.recordedFrames(), count);
    std::vector<qint16> expected(size_t(count) * 2);
    ASSERT_TRUE(reference.seekSample(first));
    ASSERT_EQ(reference.read(expected.data(), count), count);
    EXPECT_EQ(output.recorded(), expected);
    EXPECT_EQ(positionOf(fmod), 140700);
}
