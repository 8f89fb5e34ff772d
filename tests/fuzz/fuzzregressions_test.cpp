// Every file under tests/fuzz-regressions/<target>/ goes through that fuzz target's body; a fault
// aborts the test or trips the sanitizers of `make asan`.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <map>
#include <string>
#include <vector>

#include "recitation/mp3stream.h"
#include "targets.h"

namespace varnelo::fuzz {
namespace {

using Target = int (*)(const uint8_t *, size_t);

const std::map<QString, Target> &targets() {
    static const std::map<QString, Target> table = {
        {"fuzz_ze3decode", fuzzZe3Decode},
        {"fuzz_archive", fuzzArchive},
        {"fuzz_gif", fuzzGif},
        {"fuzz_suradata", fuzzSuraData},
        {"fuzz_ini", fuzzIni},
        {"fuzz_versereference", fuzzVerseReference},
        {"fuzz_translation", fuzzTranslation},
        {"fuzz_page", fuzzPage},
        {"fuzz_mp3", fuzzMp3},
    };
    return table;
}

TEST(FuzzRegressions, EveryFolderNamesATarget) {
    const QDir root(VARNELO_FUZZ_REGRESSIONS);
    ASSERT_TRUE(root.exists());
    for (const QString &folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        EXPECT_TRUE(targets().contains(folder)) << folder.toStdString();
}

class FuzzRegression : public testing::TestWithParam<std::string> {};

TEST_P(FuzzRegression, EveryInputPassesItsTarget) {
    const QString name = QString::fromStdString(GetParam());
    const QDir folder(QStringLiteral(VARNELO_FUZZ_REGRESSIONS "/") + name);
    // A target without a folder has nothing to replay yet.
    const Target target = targets().at(name);
    for (const QString &file : folder.entryList(QDir::Files)) {
        SCOPED_TRACE(file.toStdString());
        QFile input(folder.filePath(file));
        ASSERT_TRUE(input.open(QIODevice::ReadOnly));
        const QByteArray bytes = input.readAll();
        EXPECT_EQ(
            target(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegression,
                         testing::Values("fuzz_ze3decode", "fuzz_archive", "fuzz_gif",
                                         "fuzz_suradata", "fuzz_ini", "fuzz_versereference",
                                         "fuzz_translation", "fuzz_page", "fuzz_mp3"),
                         [](const auto &info) { return info.param.substr(5); });

// Damaged frames once left a seek made after reading to the end short of its target or past it.
TEST(FuzzRegressions, SeeksOverDamagedFramesLandOnTheirTarget) {
    for (const char *name : {"seek-after-end-lands-short.mp3", "seek-lands-past-target.mp3"}) {
        SCOPED_TRACE(name);
        Mp3Stream stream;
        ASSERT_TRUE(stream.open(QStringLiteral(VARNELO_FUZZ_REGRESSIONS "/fuzz_mp3/") + name));
        ASSERT_TRUE(stream.waitForIndex());
        std::vector<qint16> buffer(2 * 4096);
        while (stream.read(buffer.data(), 4096) > 0) {
        }
        const qint64 middle = stream.msToSample(stream.lengthMs() / 2);
        ASSERT_TRUE(stream.seekSample(middle));
        EXPECT_EQ(stream.tellSample(), middle);
        EXPECT_GT(stream.read(buffer.data(), 4096), 0);
    }
}

}  // namespace
}  // namespace varnelo::fuzz
