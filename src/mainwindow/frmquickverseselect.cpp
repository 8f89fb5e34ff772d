#include "mainwindow/frmquickverseselect.h"

#include <QVBoxLayout>

#include "mainwindow/quickselectbox.h"

namespace varnelo {

frmQuickVerseSelect::frmQuickVerseSelect(
    MessageBox &messages,
    std::function<void(int verse, bool setBeginFlag, bool setEndFlag)> callSetText, QWidget *parent)
    : QDialog(parent),
      m_rules(messages, {[this] { hide(); }, std::move(callSetText)}),
      m_txtSuraNo(new QuickSelectBox(
          [this](QChar key, const QString &text) { return m_rules.KeyPress(key, text); }, this)) {
    setObjectName(QStringLiteral("frmQuickVerseSelect"));
    setWindowTitle(tr("Move to Verse"));
    setModal(true);
    m_txtSuraNo->setObjectName(QStringLiteral("txtSuraNo"));
    connect(m_txtSuraNo, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_rules.Change(text); });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_txtSuraNo);
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
    m_txtSuraNo->clear();
    m_txtSuraNo->setFocus();
    QDialog::showEvent(event);
}

void frmQuickVerseSelect::hideEvent(QHideEvent *event) {
    // However the dialog closes (Escape, the window's close button), the flags are spent.
    m_rules.closed();
    QDialog::hideEvent(event);
}

}  // namespace varnelo
