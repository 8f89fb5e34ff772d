#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "filebytes.h"
#include "recitation/framelocator.h"
#include "recitation/rangeexport.h"
#include "scripteddialogs.h"

using namespace varnelo;
using varnelo::test::readFileBytes;
using varnelo::test::writeFileBytes;

namespace {

// A source of fixed-size "frames" after a header, 100 ms per frame.
class FakeFrames : public FrameLocator {
public:
    static constexpr qint64 kHeader = 300;
    static constexpr qint64 kFrame = 50;
    static constexpr int kFrames = 40;

    qint32 lengthMs() const override { return kFrames * 100; }
    std::optional<FrameSpan> frameAt(qint32 ms) const override {
        if (ms < 0 || ms > lengthMs()) {
            return std::nullopt;
        }
        const qint64 frame = std::min<qint64>(ms / 100, kFrames - 1);
        return FrameSpan{kHeader + frame * kFrame, kHeader + (frame + 1) * kFrame};
    }
    std::optional<FrameSpan> frameBefore(qint64 begin) const override {
        const qint64 frame = (begin - kHeader) / kFrame;
        if (begin <= kHeader || (begin - kHeader) % kFrame != 0 || frame >= kFrames) {
            return std::nullopt;
        }
        return FrameSpan{begin - kFrame, begin};
    }
};

QByteArray sourceBytes() {
    QByteArray bytes(FakeFrames::kHeader, 'H');
    for (int frame = 0; frame < FakeFrames::kFrames; ++frame) {
        bytes.append(FakeFrames::kFrame, char('A' + frame));
    }
    return bytes;
}

struct ExportFixture : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        source = dir.filePath("002.mp3");
        ASSERT_TRUE(writeFileBytes(source, sourceBytes()));
        request.sura = 2;
        request.suraListText = "2. Al-Baqara";
        request.RB = 1;
        request.RE = 5;
        for (int verse = 0; verse < 10; ++verse) {
            request.verseTimes.append({verse * 400 + 50, verse * 400 + 380});
        }
        request.Mp3FilePath = source;
    }

    RangeExportOutcome run() {
        RangeExport exporter(dialogs, dialogs, [this] { ++stops; });
        const RangeExportOutcome outcome = exporter.cmdRangeToMP3(request, frames);
        detail = exporter.failureDetail();
        return outcome;
    }

    // The export failed for the reason given: other failures must not pass for it.
    ::testing::AssertionResult failsFor(const char *reason) {
        if (run() != RangeExportOutcome::Failed) {
            return ::testing::AssertionFailure() << "not failed";
        }
        if (!detail.contains(QLatin1String(reason))) {
            return ::testing::AssertionFailure() << "failed for: " << detail.toStdString();
        }
        return ::testing::AssertionSuccess();
    }

    QTemporaryDir dir;
    QString source;
    QString detail;
    RangeExportRequest request;
    ScriptedDialogs dialogs;
    FakeFrames frames;
    int stops = 0;
};

}  // namespace

TEST(RangeExportNames, DefaultFileNameAndTag) {
    EXPECT_EQ(ZeroPad(7, 3), "007");
    EXPECT_EQ(DefaultRangeFileName(2, 1, 5), "002-001-005.MP3");
    EXPECT_EQ(DefaultRangeFileName(9, 0, 0), "009-001-001.MP3");
    EXPECT_EQ(DefaultRangeFileName(1, 0, 6), "001-001-007.MP3");

    EXPECT_EQ(WithMp3Extension("/a/range"), "/a/range.mp3");
    EXPECT_EQ(WithMp3Extension("/a/range.Mp3"), "/a/range.Mp3");
    EXPECT_EQ(WithMp3Extension("/a/range.mp3.txt"), "/a/range.mp3.txt.mp3");

    const QByteArray tag = RangeTag("2. Al-Baqara", 2, 1, 5).toBytes();
    ASSERT_EQ(tag.size(), 128);
    EXPECT_EQ(tag.left(3), "TAG");
    EXPECT_EQ(tag.mid(3, 30).trimmed(), kRangeTagTitle);
    EXPECT_EQ(tag.mid(33, 30), QByteArray("2. Al-Baqara(1-5)").leftJustified(30, ' '));
    EXPECT_EQ(tag.mid(63, 30), QByteArray("Quran").leftJustified(30, ' '));
    EXPECT_EQ(tag.mid(93, 34), QByteArray(34, ' '));
    EXPECT_EQ(quint8(tag.at(127)), 101);

    // The artist is cut to its 30 characters; characters Latin-1 lacks become "?".
    const QByteArray longTag = RangeTag(QString(40, QChar(0x0628)), 9, 0, 128).toBytes();
    EXPECT_EQ(longTag.size(), 128);
    EXPECT_EQ(longTag.mid(33, 30), QByteArray(30, '?'));
}

TEST_F(ExportFixture, SavesFramesOfTheRangeWithTag) {
    dialogs.chosenPath = dir.filePath("out");
    ASSERT_EQ(run(), RangeExportOutcome::Saved);
    EXPECT_EQ(dialogs.offeredName, "002-001-005.MP3");
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(stops, 1);

    // Verse 1 starts at 450 ms (frame 4); verse 5 ends at 2380 ms (frame 23).
    const QByteArray saved = readFileBytes(dir.filePath("out.mp3"));
    const QByteArray source = sourceBytes();
    const qint64 begin = FakeFrames::kHeader + 4 * FakeFrames::kFrame;
    const qint64 end = FakeFrames::kHeader + 24 * FakeFrames::kFrame;
    ASSERT_EQ(saved.size(), end - begin + 128);
    EXPECT_EQ(saved.left(end - begin), source.mid(begin, end - begin));
    EXPECT_EQ(saved.right(128), RangeTag("2. Al-Baqara", 2, 1, 5).toBytes());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";

    // A single verse whose times fall in one frame still gives that whole frame.
    request.RB = request.RE = 0;
    request.verseTimes[0] = {10, 20};
    dialogs.chosenPath = dir.filePath("one.MP3");
    ASSERT_EQ(run(), RangeExportOutcome::Saved);
    EXPECT_EQ(readFileBytes(dir.filePath("one.MP3")).size(), FakeFrames::kFrame + 128);
}

TEST_F(ExportFixture, QuestionsAndRefusals) {
    request.RB = 6;
    request.RE = 5;
    EXPECT_EQ(run(), RangeExportOutcome::IncorrectRange);
    EXPECT_EQ(
        dialogs.shown,
        QStringList({"Incorrect Range: Range Begin should be less than or equal to Range End"}));
    EXPECT_TRUE(dialogs.offeredName.isEmpty());

    request.RB = 5;
    EXPECT_EQ(run(), RangeExportOutcome::Cancelled);
    EXPECT_EQ(stops, 0);

    const QString existing = dir.filePath("keep.mp3");
    ASSERT_TRUE(writeFileBytes(existing, "old"));
    dialogs.chosenPath = existing;
    dialogs.shown.clear();
    EXPECT_EQ(run(), RangeExportOutcome::Declined);
    EXPECT_EQ(dialogs.shown, QStringList({"Confirm replace? File aleady exists. Replace it ?"}));
    EXPECT_EQ(readFileBytes(existing), "old");
    EXPECT_EQ(stops, 0);

    dialogs.answerYes = true;
    EXPECT_EQ(run(), RangeExportOutcome::Saved);
    EXPECT_EQ(readFileBytes(existing).size(), 4 * FakeFrames::kFrame + 128);  // 2050..2380 ms
}

TEST_F(ExportFixture, FailuresKeepTheExistingFile) {
    const QString existing = dir.filePath("keep.mp3");
    ASSERT_TRUE(writeFileBytes(existing, "old"));
    dialogs.chosenPath = existing;
    dialogs.answerYes = true;
    const QStringList errorOnly({"Varnelo: Error saving MP3 file"});

    // The source is shorter than its frame index says.
    QFile::resize(source, FakeFrames::kHeader + 10 * FakeFrames::kFrame);
    EXPECT_TRUE(failsFor("shorter than its frame index"));
    EXPECT_EQ(dialogs.shown.mid(1), errorOnly);
    EXPECT_EQ(readFileBytes(existing), "old");

    // Missing source, times outside the file, reversed times, verse index beyond the table.
    request.Mp3FilePath = dir.filePath("missing.mp3");
    EXPECT_TRUE(failsFor("missing.mp3"));
    request.Mp3FilePath = source;
    ASSERT_TRUE(writeFileBytes(source, sourceBytes()));
    request.verseTimes[1].start = 99999;
    EXPECT_TRUE(failsFor("99999..2380 ms is not within"));
    request.verseTimes[1].start = 3000;
    EXPECT_TRUE(failsFor("3000..2380 ms is not within"));
    request.RE = 10;
    EXPECT_TRUE(failsFor("verse index 1..10 outside the sura's 10 verses"));
    EXPECT_EQ(readFileBytes(existing), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";

    // The sura's own file is never replaced by a piece of it.
    request.RE = 5;
    request.verseTimes[1].start = 450;
    dialogs.chosenPath = source;
    EXPECT_TRUE(failsFor("own recitation file"));
    EXPECT_EQ(readFileBytes(source), sourceBytes());

    // The target cannot be written: its folder does not exist.
    dialogs.chosenPath = dir.filePath("no/such/folder/x.mp3");
    dialogs.shown.clear();
    EXPECT_TRUE(failsFor("no/such/folder/x.mp3"));
    EXPECT_EQ(dialogs.shown, errorOnly);
}
