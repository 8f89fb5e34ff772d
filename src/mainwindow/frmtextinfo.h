#pragma once

#include <QDialog>

class QPushButton;

namespace varnelo {

class QtHtmlView;

// The information page of a translation in a small modal window, closed with cmdClose.
class frmTextInfo : public QDialog {
    Q_OBJECT

public:
    explicit frmTextInfo(QWidget *parent = nullptr);

    // Shows html in wbTextInfo, replacing what it showed.
    void ShowHTML(const QString &html);

private:
    QtHtmlView *m_wbTextInfo;
    QPushButton *m_cmdClose;
};

}  // namespace varnelo
