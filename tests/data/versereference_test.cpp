#include <gtest/gtest.h>

#include <QList>

#include <memory>

#include "data/clipboardreferencehook.h"
#include "data/versereference.h"
#include "platform/clipboard.h"

using namespace varnelo;

namespace {

constexpr int Suras = 114;

std::optional<VerseReference> parse(const char *text) {
    return ParseVerseReference(QString::fromUtf8(text), Suras);
}

}  // namespace

TEST(VerseReference, SingleVerseAndRange) {
    EXPECT_EQ(parse(" \t2:255  "), (VerseReference{1, 255, 255}));
    EXPECT_EQ(parse(" 36:1-12 "), (VerseReference{35, 1, 12}));
    EXPECT_EQ(parse("1:1"), (VerseReference{0, 1, 1}));
    EXPECT_EQ(parse("114:6"), (VerseReference{113, 6, 6}));
    // A range given backwards or beyond the sura is passed on as written.
    EXPECT_EQ(parse("2:3-1"), (VerseReference{1, 3, 1}));
    EXPECT_EQ(parse("108:1-900"), (VerseReference{107, 1, 900}));
    // Only the first colon and the first dash separate.
    EXPECT_EQ(parse("2: 5 - 7 "), (VerseReference{1, 5, 7}));
    EXPECT_EQ(parse("2:5-7-9"), std::nullopt);
    EXPECT_EQ(parse("2:5:7"), std::nullopt);
}

TEST(VerseReference, NumbersConvertAsStoredIntegers) {
    EXPECT_EQ(parse("+2:+5"), (VerseReference{1, 5, 5}));
    EXPECT_EQ(parse("2:255abc"), std::nullopt);
    EXPECT_EQ(parse("2a:5"), std::nullopt);
    EXPECT_EQ(parse("2:4-5x"), std::nullopt);
    EXPECT_EQ(parse("٢:٥"), std::nullopt);
}

TEST(VerseReference, ZeroNegativeAndMissingNumbersAreIgnored) {
    for (const char *text : {"0:5", "2:0", "2:3-0", "2:0-3", "-2:5", "2:-5", "2:", ":5", "2:3-",
                             "abc", "", "   ", "2", "2-3"})
        EXPECT_EQ(parse(text), std::nullopt) << text;
}

TEST(VerseReference, SuraBeyondTheListIsIgnored) {
    EXPECT_EQ(parse("115:1"), std::nullopt);
    EXPECT_EQ(ParseVerseReference("3:1", 2), std::nullopt);
    EXPECT_EQ(ParseVerseReference("2:1", 2), (VerseReference{1, 1, 1}));
}

TEST(VerseReference, HugeNumbersAndSeveralLines) {
    EXPECT_EQ(parse("99999999999:1"), std::nullopt);
    EXPECT_EQ(parse("2:99999999999"), std::nullopt);
    EXPECT_EQ(parse("2:1-99999999999999999999"), std::nullopt);
    EXPECT_EQ(parse("2:2147483647"), (VerseReference{1, 2147483647, 2147483647}));
    // Line breaks around one reference are blanks; a second line spoils it.
    EXPECT_EQ(parse("\r\n2:255\r\n"), (VerseReference{1, 255, 255}));
    EXPECT_EQ(parse("2:255\n36:1"), std::nullopt);
    EXPECT_EQ(parse("36:1-12\n2:5"), std::nullopt);
}

TEST(ClipboardReferenceHook, ActsOnlyAfterStartupAndOnText) {
    FakeClipboard clipboard;
    QList<VerseReference> calls;
    {
        ClipboardReferenceHook hook(clipboard, Suras,
                                    [&](const VerseReference &r) { calls.append(r); });
        clipboard.setText("2:255");
        EXPECT_TRUE(calls.isEmpty());

        hook.setStartupDone(true);
        // The change seen before start-up is not replayed.
        EXPECT_TRUE(calls.isEmpty());
        clipboard.setNonText();
        clipboard.setText("not a verse");
        clipboard.setText(" 36:1-12 ");
        clipboard.setText("0:5");
        ASSERT_EQ(calls.size(), 1);
        EXPECT_EQ(calls[0], (VerseReference{35, 1, 12}));
    }
    // Gone with the hook: no call into a dead handler.
    EXPECT_FALSE(clipboard.hasCallback());
    clipboard.setText("2:255");
    EXPECT_EQ(calls.size(), 1);
}

TEST(ClipboardReferenceHook, StoppedFromItsOwnHandlerItOutlivesTheCallAndActsNoMore) {
    FakeClipboard clipboard;
    QList<VerseReference> calls;
    std::unique_ptr<ClipboardReferenceHook> hook;
    hook = std::make_unique<ClipboardReferenceHook>(clipboard, Suras, [&](const VerseReference &r) {
        calls.append(r);
        hook->stop();
        // A change made while stopping, as a window closing mid-load might, is not seen.
        clipboard.setText("3:4");
    });
    hook->setStartupDone(true);
    clipboard.setText("2:255");
    ASSERT_EQ(calls.size(), 1);
    EXPECT_FALSE(clipboard.hasCallback());
    clipboard.setText("36:1");
    EXPECT_EQ(calls.size(), 1);

    // Destroying the stopped hook leaves a callback installed since then alone.
    bool other = false;
    clipboard.setChangedCallback([&] { other = true; });
    hook.reset();
    clipboard.setText("1:1");
    EXPECT_TRUE(other);
}
