#pragma once

#include <QDialog>

#include <array>
#include <optional>

#include "mainwindow/rangemodesetup.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace varnelo {

class MessageBox;
class SettingsStore;

// The range mode settings window: repeat count, pauses, next range and what follows the sura.
// OK stores the settings; Cancel and closing change nothing.
class frmRangeModeSetup : public QDialog {
    Q_OBJECT

public:
    frmRangeModeSetup(SettingsStore &store, MessageBox &messages, const RangeModeOptions &options,
                      QWidget *parent = nullptr);

    // Shows the window modally over parent; true, with options replaced by the new ones, when
    // the user pressed OK (the store then holds them too), false when nothing changed.
    static bool edit(QWidget *parent, SettingsStore &store, MessageBox &messages,
                     RangeModeOptions &options);

    // The options OK stored, if OK was pressed.
    const std::optional<RangeModeOptions> &saved() const { return m_saved; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *addBox(const char *name);
    QLayout *buildTimes();
    QLayout *buildPauses();
    QWidget *buildSuraEnd();
    QPushButton *addHelp(int index);
    RangeModeEntries entries() const;
    QLineEdit *boxOf(RangeModeBox box) const;
    void checkOnLeaving(QLineEdit *box);
    void cmdOK_Click();

    SettingsStore &m_store;
    MessageBox &m_messages;
    std::array<QRadioButton *, 2> m_optTimes{};
    QLineEdit *m_txtTimes = nullptr;
    QLineEdit *m_txtPause = nullptr;
    QLineEdit *m_txtPauseBetweenVerses = nullptr;
    QCheckBox *m_chkNextRange = nullptr;
    std::array<QRadioButton *, 3> m_optSuraComplete{};
    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdCancel = nullptr;
    std::optional<RangeModeOptions> m_saved;
    bool m_checking = false;
};

}  // namespace varnelo
