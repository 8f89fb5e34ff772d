#pragma once

#include <QDialog>

#include <functional>

#include "mainwindow/quickverseselect.h"

namespace varnelo {

class MessageBox;
class QuickSelectBox;

// Moves to a verse of the current sura by its number, or moves a range marker there; hidden, not
// destroyed, after use.
class frmQuickVerseSelect : public QDialog {
    Q_OBJECT

public:
    // callSetText is the main window's CallSetText; messages says when a number is beyond the
    // sura.
    frmQuickVerseSelect(
        MessageBox &messages,
        std::function<void(int verse, bool setBeginFlag, bool setEndFlag)> callSetText,
        QWidget *parent = nullptr);

    // The fields a caller sets before showing the dialog: SetBeginFlag, SetEndFlag,
    // DialogVerseCount and DialogSura.
    QuickVerseSelect &fields() { return m_rules; }
    // Caption ("Move to Verse", "Move to verse", "Set Range Begin", "Set Range End"), the current
    // sura and its verse count, and which range marker (if any) the verse moves.
    void prepare(const QString &caption, int sura, int verseCount, bool setBeginFlag = false,
                 bool setEndFlag = false);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QuickVerseSelect m_rules;
    QuickSelectBox *m_txtSuraNo;
};

}  // namespace varnelo
