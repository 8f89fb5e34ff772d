#pragma once

#include <QWidget>

namespace varnelo {

class frmMain;

// The program's taskbar button: a window kept off the screen. Minimizing or restoring it hides or
// shows the main window, its keys go to the main window, and closing it ends the program.
class frmTitle : public QWidget {
    Q_OBJECT

public:
    explicit frmTitle(frmMain &main);

protected:
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    frmMain &m_main;
};

}  // namespace varnelo
