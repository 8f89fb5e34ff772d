#include "mainwindow/frmtextinfo.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "display/qthtmlview.h"

namespace varnelo {

frmTextInfo::frmTextInfo(QWidget *parent)
    : QDialog(parent),
      m_wbTextInfo(new QtHtmlView(this)),
      m_cmdClose(new QPushButton(tr("&Close"), this)) {
    setObjectName(QStringLiteral("frmTextInfo"));
    setWindowTitle(tr("Information"));
    setModal(true);
    m_wbTextInfo->setObjectName(QStringLiteral("wbTextInfo"));
    m_wbTextInfo->setMinimumSize(380, 260);
    m_wbTextInfo->navigateToBlank();
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(m_cmdClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_wbTextInfo, 1);
    layout->addLayout(buttons);
}

void frmTextInfo::ShowHTML(const QString &html) {
    // The view holds its blank document from the start, so no wait for it is needed.
    m_wbTextInfo->writeDocument(html);
}

}  // namespace varnelo
