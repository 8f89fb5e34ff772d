#include <gtest/gtest.h>

#include <QFile>

#include "mp3fixture.h"
#include "platform/fakeaudiooutput.h"
#include "recitation/clsfmod.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

constexpr int kRate = 44100;
constexpr qint64 kOneMs = kRate / 1000;

// A 12 s file with a 1 kHz burst at 250 ms past every whole second.
class ClsFModTest : public testing::Test {
protected:
    void SetUp() override {
        if (!Mp3Maker::lameAvailable()) {
            GTEST_SKIP() << "the lame encoder is not installed: no test MP3 files";
        }
        std::vector<qint64> starts;
        for (qint64 s = 0; s < 12; ++s) {
            starts.push_back(s * kRate + 250 * kOneMs);
        }
        m_bursts = m_maker.make("bursts", bursts(kRate, 2, 12 * kRate, starts, 8820, 1000, 0.5),
                                {"-V", "2", "--add-id3v2", "--tt", "Sura"});
        ASSERT_FALSE(m_bursts.isEmpty());
    }

    // Lets the sound play in 1 ms steps, polling like the controller, until it stops.
    void playOut(clsFMod &fmod, qint64 limitMs = 20000) {
        qint32 pos = 0;
        for (qint64 t = 0; t < limitMs && fmod.isPlaying(); ++t) {
            m_output.advance(1);
            fmod.GetPosition(pos);
        }
    }

    Mp3Maker m_maker;
    QString m_bursts;
    FakeAudioOutput m_output;
};

}  // namespace

TEST_F(ClsFModTest, PlayLeadsBy200AndStopsAtTheEndLess200) {
    clsFMod fmod(m_output);
    ASSERT_TRUE(fmod.OpenMP3File(m_bursts));
    EXPECT_EQ(fmod.StreamLength, 12000);
    EXPECT_EQ(m_output.bufferMs(), 150);

    fmod.Play(5000, 9000);
    EXPECT_TRUE(fmod.PauseBreaked);
    qint32 pos = 0;
    fmod.GetPosition(pos);
    EXPECT_EQ(pos, 5200);
    m_output.advance(1000);
    fmod.GetPosition(pos);
    EXPECT_EQ(pos, 6200);
    playOut(fmod);
    EXPECT_FALSE(fmod.isPlaying());
    fmod.GetPosition(pos);
    EXPECT_EQ(pos, 9000);  // stream time 8800, and it stays there
    m_output.advance(100);
    fmod.GetPosition(pos);
    EXPECT_EQ(pos, 9000);

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
    clsFMod fmod(m_output);
    ASSERT_TRUE(fmod.OpenMP3File(m_bursts));
    fmod.Play(3000, 4000);
    m_output.advance(300);
    fmod.Play(0, 0);  // from the start, no end: the whole file
    playOut(fmod);
    qint32 pos = 0;
    fmod.GetPosition(pos);
    EXPECT_EQ(pos, 12200);
    EXPECT_EQ(m_output.recordedFrames(), 300 * kRate / 1000 + 12 * kRate);

    // A running section's end moves with SetEnd, earlier or later.
    fmod.Play(1000, 2000);
    fmod.SetEnd(3000);
    playOut(fmod);
    fmod.GetPosition(pos);
    EXPECT_EQ(pos, 3000);
    fmod.Play(1000, 5000);
    m_output.advance(500);
    fmod.SetEnd(1400);  // already passed: stops at the next progress
    m_output.advance(1);
    EXPECT_FALSE(fmod.isPlaying());
}

TEST_F(ClsFModTest, PauseHoldsThePositionAndPauseBreakedFollows) {
    clsFMod fmod(m_output);
    EXPECT_FALSE(fmod.PauseBreaked);
    ASSERT_TRUE(fmod.OpenMP3File(m_bursts));
    fmod.Play(2000, 6000);
    m_output.advance(500);
    fmod.PausePlaying();
    EXPECT_FALSE(fmod.PauseBreaked);
    m_output.advance(2000);
    qint32 pos = 0;
    fmod.GetPosition(pos);
    EXPECT_EQ(pos, 2700);
    fmod.ResumePlaying();
    EXPECT_TRUE(fmod.PauseBreaked);
    m_output.advance(500);
    fmod.GetPosition(pos);
    EXPECT_EQ(pos, 3200);
    // A caller may hold the flag itself; Play sets it again.
    // Moving a paused stream keeps it paused.
    fmod.PausePlaying();
    fmod.SetPositionInSec(4000);
    m_output.advance(300);
    fmod.GetPosition(pos);
    EXPECT_EQ(pos, 4200);
    fmod.ResumePlaying();
    fmod.PauseBreaked = false;
    fmod.Play(2000, 6000);
    EXPECT_TRUE(fmod.PauseBreaked);
    EXPECT_FALSE(m_output.isPaused());
}

TEST_F(ClsFModTest, SetVolumeMapsTheSliderAndScalesTheSound) {
    clsFMod fmod(m_output);
    const std::pair<int, int> levels[] = {{0, 0},      {1, 0},     {2, 1},  {500, 128}, {498, 127},
                                          {1000, 255}, {999, 255}, {-5, 0}, {2000, 255}};
    for (const auto &[slider, level] : levels) {
        fmod.SetVolume(slider);
        EXPECT_EQ(fmod.masterVolume(), level) << slider;
    }

    const QString path = m_maker.make("tone", tone(kRate, 2, 3 * kRate, 1000, 0.25), {"-b", "192"});
    ASSERT_TRUE(fmod.OpenMP3File(path));
    auto levelAt = [&](int volume) {
        fmod.SetVolume(volume);
        m_output.clearRecorded();
        fmod.Play(1000, 2400);
        playOut(fmod);
        return toneLevelDb(m_output.recorded().data(), kRate, 2, 0, kRate, 1000);
    };
    const double full = levelAt(1000);
    EXPECT_NEAR(full, -12.04, 0.5);
    EXPECT_NEAR(levelAt(500) - full, 20 * std::log10(128.0 / 255), 0.05);
    EXPECT_LT(levelAt(0), -100);
}

TEST_F(ClsFModTest, EqualizerShapesThePlayedSound) {
    clsFMod fmod(m_output);
    const QString path = m_maker.make("tone", tone(kRate, 2, 3 * kRate, 1000, 0.1), {"-b", "192"});
    ASSERT_TRUE(fmod.OpenMP3File(path));
    EqGainTable gains{};
    fmod.bindEqualizerGains(&gains);
    auto level = [&] {
        m_output.clearRecorded();
        fmod.Play(500, 2000);
        playOut(fmod);
        return toneLevelDb(m_output.recorded().data() + 2 * 4410, kRate, 2, 1, kRate, 1000);
    };
    const double flat = level();
    gains[4] = 6;
    fmod.EnableEqualizer();
    fmod.SetEqualizerValue();
    EXPECT_NEAR(level() - flat, 6, 1);
    gains[4] = -9;
    fmod.SetEqualizerValue();
    EXPECT_NEAR(level() - flat, -9, 1);
    fmod.DisableEqualizer();
    EXPECT_NEAR(level() - flat, 0, 0.1);
    fmod.bindEqualizerGains(nullptr);
}

TEST_F(ClsFModTest, PositionWatchesFireOnceWhenTheReportedPositionGetsThere) {
    clsFMod fmod(m_output);
    ASSERT_TRUE(fmod.OpenMP3File(m_bursts));
    std::vector<std::pair<int, qint32>> fired;
    fmod.watchPosition(6000, [&](qint32 pos) { fired.push_back({1, pos}); });
    const int cancelled = fmod.watchPosition(6500, [&](qint32 pos) { fired.push_back({2, pos}); });
    fmod.watchPosition(7000, [&](qint32 pos) {
        fired.push_back({3, pos});
        fmod.StopPlaying();  // a callback may act on the engine
    });
    fmod.cancelWatch(cancelled);
    fmod.Play(5000, 9000);
    m_output.advance(3000);
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[0].first, 1);
    EXPECT_EQ(fired[0].second, 6000);
    EXPECT_EQ(fired[1].first, 3);
    EXPECT_EQ(fired[1].second, 7000);
    EXPECT_FALSE(fmod.isPlaying());

    // A new file drops the watches of the old one.
    fmod.watchPosition(1000, [&](qint32 pos) { fired.push_back({4, pos}); });
    ASSERT_TRUE(fmod.OpenMP3File(m_bursts));
    fmod.Play(0, 3000);
    m_output.advance(2000);
    EXPECT_EQ(fired.size(), 2u);
}

TEST_F(ClsFModTest, ByteOffsetOfTheFramePlaying) {
    clsFMod fmod(m_output);
    qint32 bytes = 0;
    fmod.GetPositionByBytes(bytes);
    EXPECT_EQ(bytes, -1);
    ASSERT_TRUE(fmod.OpenMP3File(m_bursts));
    Mp3Stream reference;
    ASSERT_TRUE(reference.open(m_bursts));
    for (const qint32 ms : {0, 1234, 5000, 11999}) {
        fmod.SetPositionInSec(ms);
        fmod.GetPositionByBytes(bytes);
        EXPECT_EQ(bytes, reference.frameOffsetAt(ms)) << ms;
    }
    // While playing, position and offset follow the sound, not the device's read-ahead.
    m_output.setReadAhead(kRate / 5);
    fmod.Play(2000, 9000);
    m_output.advance(1000);
    qint32 pos = 0;
    fmod.GetPosition(pos);
    EXPECT_EQ(pos, 3200);
    fmod.GetPositionByBytes(bytes);
    EXPECT_EQ(bytes, reference.frameOffsetAt(3000));
    // Moving a playing stream moves the sound.
    fmod.SetPositionInSec(8000);
    m_output.clearRecorded();
    m_output.advance(500);
    EXPECT_NEAR(firstLoudFrame(m_output.recorded().data(), m_output.recordedFrames(), 2, 8000),
                250 * kOneMs, kOneMs);
}

TEST_F(ClsFModTest, BadFilesLeaveTheEngineUsable) {
    int messages = 0;
    clsFMod fmod(m_output, [&](const QString &, const QString &) { ++messages; });
    QFile good(m_bursts);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QStringList bad = {m_maker.dir() + "/001.mp3", m_maker.writeFile("empty.mp3", {}),
                             m_maker.writeFile("junk.mp3", QByteArray(100000, '\x5a')),
                             m_maker.writeFile("cut.mp3", good.read(200))};
    for (const QString &path : bad) {
        ASSERT_TRUE(fmod.OpenMP3File(m_bursts));
        fmod.Play(1000, 3000);
        EXPECT_FALSE(fmod.OpenMP3File(path)) << path.toStdString();
        EXPECT_EQ(fmod.StreamLength, 0);
        EXPECT_FALSE(fmod.isPlaying());
        fmod.Play(1000, 3000);
        m_output.advance(10);
        qint32 pos = -1;
        fmod.GetPosition(pos);
        fmod.PausePlaying();
        fmod.ResumePlaying();
        fmod.SetPositionInSec(500);
        fmod.GetPositionByBytes(pos);
        EXPECT_EQ(pos, -1);
        fmod.StopPlaying();
        fmod.CloseAll();
    }
    EXPECT_EQ(messages, 0);
    ASSERT_TRUE(fmod.OpenMP3File(m_bursts));
    fmod.Play(1000, 1500);
    playOut(fmod);
    EXPECT_EQ(m_output.recordedFrames() > 0, true);
}

TEST(ClsFMod, WithoutASoundDeviceItSaysSoOnceAndCarriesOn) {
    FakeAudioOutput none(false);
    QStringList messages;
    clsFMod fmod(none, [&](const QString &, const QString &text) { messages << text; });
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0],
              "FMOD Cannot initialize because of an error.\r\n"
              "Error initializing output device.");
    fmod.Play(0, 1000);
    fmod.PausePlaying();
    fmod.ResumePlaying();
    fmod.SetVolume(700);
    fmod.EnableEqualizer();
    fmod.SetEqualizerValue();
    qint32 pos = 0;
    fmod.GetPosition(pos);
    fmod.CloseAll();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(none.recordedFrames(), 0);

    fmod.FMOD_Initialize(300, 44100, 65, 4, 2, 4, 0);
    EXPECT_EQ(messages.last(), "You can only have a maximum of 64 channels.");
}

TEST(ClsFMod, ErrorTexts) {
    EXPECT_EQ(clsFMod::FModErrorText(0), "No errors");
    EXPECT_EQ(clsFMod::FModErrorText(12), "Not enough memory ");
    EXPECT_EQ(clsFMod::FModErrorText(19),
              "An error occured trying to open the specified CD device");
    EXPECT_EQ(clsFMod::FModErrorText(20), "Unknown error");
    EXPECT_EQ(clsFMod::FModErrorText(42), "Unknown error");
    EXPECT_EQ(clsFMod::FModErrorText(-1), "Unknown error");
}
