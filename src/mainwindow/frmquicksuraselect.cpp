#include "mainwindow/frmquicksuraselect.h"

#include "mainwindow/quickselectbox.h"

namespace varnelo {

frmQuickSuraSelect::frmQuickSuraSelect(MessageBox &messages,
                                       std::function<void(int listPosition)> selectSura,
                                       std::function<void()> callVerseSelecter, QWidget *parent)
    : QDialog(parent),
      m_rules(messages, {[this] { hide(); }, std::move(selectSura), std::move(callVerseSelecter)}),
      m_txtSuraNo(QuickSelectBox::fill(
          this, tr("Select Sura"),
          [this](QChar key, const QString &text) { return m_rules.KeyPress(key, text); },
          [this](const QString &text) { m_rules.Change(text); })) {
    setObjectName(QStringLiteral("frmQuickSuraSelect"));
}

void frmQuickSuraSelect::showEvent(QShowEvent *event) {
    m_txtSuraNo->restart();
    QDialog::showEvent(event);
}

}  // namespace varnelo
