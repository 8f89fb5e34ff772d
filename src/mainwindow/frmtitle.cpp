#include "mainwindow/frmtitle.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "mainwindow/frmmain.h"

namespace varnelo {

frmTitle::frmTitle(frmMain &main) : QWidget(nullptr, Qt::Window), m_main(main) {
    setObjectName(QStringLiteral("frmTitle"));
    setWindowTitle(QStringLiteral("Varnelo 4.0  Beta 3"));
    setWindowIcon(main.windowIcon());
    resize(120, 10);
}

void frmTitle::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    // Only the taskbar button is ever seen: the window itself stays below the screen.
    move(x(), 150000 / 15);
}

void frmTitle::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (isMinimized()) {
        m_main.hide();
    } else {
        m_main.show();
        m_main.activateWindow();
    }
}

void frmTitle::keyPressEvent(QKeyEvent *event) {
    m_main.Form_KeyDown(event->key(), event->modifiers());
}

void frmTitle::closeEvent(QCloseEvent *event) {
    event->accept();
    m_main.close();
}

}  // namespace varnelo
