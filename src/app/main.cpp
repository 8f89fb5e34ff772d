#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include "mainwindow/frmmain.h"
#include "platform/qsettingsstore.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    varnelo::QSettingsStore store;
    varnelo::frmMain window(store, QCoreApplication::applicationDirPath(), QDir::tempPath());
    if (!window.Form_Load()) {
        QMessageBox::critical(nullptr, QStringLiteral("Varnelo"), window.failureMessage());
        return 1;
    }
    window.show();
    return app.exec();
}
