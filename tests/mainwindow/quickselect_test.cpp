#include <gtest/gtest.h>

#include <QStringList>

#include "mainwindow/quicksuraselect.h"
#include "mainwindow/quickverseselect.h"
#include "recitation/scripteddialogs.h"

using namespace varnelo;

namespace {

// Types text into a box the way the dialog does: each character through the key filter, taken
// into the box only when the filter lets it pass; Change after each change of the text.
template <typename Rules>
QString type(Rules &rules, const QString &keys, QString text = {}) {
    for (QChar key : keys) {
        if (!rules.KeyPress(key, text))
            continue;
        if (key == keychar::Back)
            text.chop(1);
        else
            text += key;
        rules.Change(text);
    }
    return text;
}

const QString Enter = QString(QChar(keychar::Return));
const QString Escape = QString(QChar(keychar::Escape));
const QString Back = QString(QChar(keychar::Back));

class QuickSuraSelectTest : public testing::Test {
protected:
    QuickSuraSelect rules{dialogs,
                          {[this] { log << "hide"; },
                           [this](int position) { log << QString("select %1").arg(position); },
                           [this] { log << "verse dialog"; }}};
    ScriptedDialogs dialogs;
    QStringList log;
};

class QuickVerseSelectTest : public testing::Test {
protected:
    QuickVerseSelectTest() {
        rules.DialogSura = 2;
        rules.DialogVerseCount = 287;
    }

    QuickVerseSelect rules{dialogs,
                           {[this] { log << "hide"; },
                            [this](int verse, bool begin, bool end) {
                                log << QString("verse %1 %2%3").arg(verse).arg(begin).arg(end);
                            }}};
    ScriptedDialogs dialogs;
    QStringList log;
};

}  // namespace

TEST(QuickSelect, TypedNumberReadsLeadingDigits) {
    EXPECT_EQ(typedNumber(""), 0);
    EXPECT_EQ(typedNumber("036"), 36);
    EXPECT_EQ(typedNumber("12x4"), 12);
    EXPECT_EQ(typedNumber("v"), 0);
    // Pasted text can be any length; it must not wrap round to a small number.
    EXPECT_EQ(typedNumber("99999999999999999999"), std::numeric_limits<int>::max());
    EXPECT_EQ(typedNumber("4294967332"), std::numeric_limits<int>::max());
}

TEST_F(QuickSuraSelectTest, EnterOrVSelectsTheSura) {
    EXPECT_EQ(type(rules, "36" + Enter), "36");
    EXPECT_EQ(log, (QStringList{"hide", "select 35"}));

    log.clear();
    type(rules, "36v");
    EXPECT_EQ(log, (QStringList{"hide", "select 35", "verse dialog"}));

    log.clear();
    type(rules, "1V");
    type(rules, "114" + Enter);
    EXPECT_EQ(log, (QStringList{"hide", "select 0", "verse dialog", "hide", "select 113"}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(QuickSuraSelectTest, NumbersNamingNoSuraSelectNothing) {
    EXPECT_EQ(type(rules, Enter), "");
    EXPECT_EQ(type(rules, "0" + Enter), "0");
    // A "v" that selects nothing does not go into the box either.
    EXPECT_EQ(type(rules, "0v"), "0");
    EXPECT_TRUE(log.isEmpty());

    // Beyond the last sura the dialog closes with a message and selects nothing.
    EXPECT_EQ(type(rules, "115"), "115");
    EXPECT_EQ(log, QStringList{"hide"});
    EXPECT_EQ(dialogs.shown, QStringList{": Only 114 suras"});
}

TEST_F(QuickSuraSelectTest, KeyFilterTakesDigitsAndEditing) {
    EXPECT_EQ(type(rules, "a3-b6. x" + Back + "9"), "39");
    EXPECT_TRUE(log.isEmpty());
    type(rules, Escape);
    EXPECT_EQ(log, QStringList{"hide"});
}

TEST_F(QuickVerseSelectTest, EnterHandsTheVerseOnAndSpendsTheFlags) {
    type(rules, "255" + Enter);
    // An empty box is verse 0, the opening formula.
    type(rules, Enter);
    EXPECT_EQ(log, (QStringList{"hide", "verse 255 00", "hide", "verse 0 00"}));

    log.clear();
    rules.SetBeginFlag = true;
    type(rules, "7" + Enter);
    type(rules, "9" + Enter);
    rules.SetEndFlag = true;
    type(rules, "286" + Enter);
    type(rules, "3" + Enter);
    EXPECT_EQ(log, (QStringList{"hide", "verse 7 10", "hide", "verse 9 00", "hide", "verse 286 01",
                                "hide", "verse 3 00"}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(QuickVerseSelectTest, ClosingWithoutAVerseSpendsTheFlagsToo) {
    rules.SetEndFlag = true;
    type(rules, "12" + Escape);
    rules.SetBeginFlag = true;
    rules.closed();
    type(rules, "12" + Enter);
    EXPECT_EQ(log, (QStringList{"hide", "hide", "verse 12 00"}));
}

TEST_F(QuickVerseSelectTest, TooLargeANumberClosesWithTheSurasVerseCount) {
    EXPECT_EQ(type(rules, "2" + Back + "x287"), "287");
    EXPECT_TRUE(log.isEmpty());
    type(rules, "288");
    EXPECT_EQ(log, QStringList{"hide"});
    // The count includes the opening formula, which is no verse.
    EXPECT_EQ(dialogs.shown, QStringList{": Only 286 verses in this sura"});

    dialogs.shown.clear();
    rules.DialogSura = 1;
    rules.DialogVerseCount = 7;
    type(rules, "8");
    rules.DialogSura = 9;
    rules.DialogVerseCount = 129;
    type(rules, "130");
    rules.DialogSura = 114;
    rules.DialogVerseCount = 7;
    type(rules, "7");
    type(rules, "8");
    EXPECT_EQ(dialogs.shown,
              (QStringList{": Only 7 verses in this sura", ": Only 129 verses in this sura",
                           ": Only 6 verses in this sura"}));
}
