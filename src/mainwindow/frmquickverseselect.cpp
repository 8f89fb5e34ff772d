#include "mainwindow/frmquickverseselect.h"

#include "mainwindow/quickselectbox.h"

namespace varnelo {

frmQuickVerseSelect::frmQuickVerseSelect(
    MessageBox &messages,
    std::function<void(int verse, bool setBeginFlag, bool setEndFlag)> callSetText, QWidget *parent)
    : QDialog(parent),
      m_rules(messages, {[this] { hide(); }, std::move(callSetText)}),
      m_txtSuraNo(QuickSelectBox::fill(
          this, tr("Move to Verse"),
          [this](QChar key, const QString &text) { return m_rules.KeyPress(key, text); },
          [this](const QString &text) { m_rules.Change(text); })) {
    setObjectName(QStringLiteral("frmQuickVerseSelect"));
}

void frmQuickVerseSelect::prepare(const QString &caption, int sura, int verseCount,
                                  bool setBeginFlag, bool setEndFlag) {
    setWindowTitle(caption);
    m_rules.DialogSura = sura;
    m_rules.DialogVerseCount = verseCount;
    m_rules.SetBeginFlag = setBeginFlag;
    m_rules.SetEndFlag = setEndFlag;
}

void frmQuickVerseSelect::showEvent(QShowEvent *event) {
    m_txtSuraNo->restart();
    QDialog::showEvent(event);
}

void frmQuickVerseSelect::hideEvent(QHideEvent *event) {
    // However the dialog closes (Escape, the window's close button), the flags are spent.
    m_rules.closed();
    QDialog::hideEvent(event);
}

}  // namespace varnelo
