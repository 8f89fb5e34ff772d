#include "mainwindow/frmquicksuraselect.h"

#include <QVBoxLayout>

#include "mainwindow/quickselectbox.h"

namespace varnelo {

frmQuickSuraSelect::frmQuickSuraSelect(MessageBox &messages,
                                       std::function<void(int listPosition)> selectSura,
                                       std::function<void()> callVerseSelecter, QWidget *parent)
    : QDialog(parent),
      m_rules(messages, {[this] { hide(); }, std::move(selectSura), std::move(callVerseSelecter)}),
      m_txtSuraNo(new QuickSelectBox(
          [this](QChar key, const QString &text) { return m_rules.KeyPress(key, text); }, this)) {
    setObjectName(QStringLiteral("frmQuickSuraSelect"));
    setWindowTitle(tr("Select Sura"));
    setModal(true);
    m_txtSuraNo->setObjectName(QStringLiteral("txtSuraNo"));
    connect(m_txtSuraNo, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_rules.Change(text); });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_txtSuraNo);
}

void frmQuickSuraSelect::showEvent(QShowEvent *event) {
    m_txtSuraNo->clear();
    m_txtSuraNo->setFocus();
    QDialog::showEvent(event);
}

}  // namespace varnelo
