#pragma once

#include <QDialog>

#include <functional>

#include "mainwindow/quicksuraselect.h"

namespace varnelo {

class MessageBox;
class QuickSelectBox;

// Selects a sura by its number: txtSuraNo, Enter or v; hidden, not destroyed, after use.
class frmQuickSuraSelect : public QDialog {
    Q_OBJECT

public:
    // selectSura selects a sura list position and loads that sura; callVerseSelecter opens the
    // verse dialog; messages says when a number is beyond the last sura.
    frmQuickSuraSelect(MessageBox &messages, std::function<void(int listPosition)> selectSura,
                       std::function<void()> callVerseSelecter, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QuickSuraSelect m_rules;
    QuickSelectBox *m_txtSuraNo;
};

}  // namespace varnelo
