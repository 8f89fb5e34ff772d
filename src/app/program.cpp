#include "app/program.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include "mainwindow/frmmain.h"
#include "platform/qsettingsstore.h"

namespace varnelo {

bool ArabicTextDisabledBy(const QStringList &arguments) {
    return arguments == QStringList{QStringLiteral("NOARABIC")};
}

int RunVarnelo(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QSettingsStore store;
    frmMain window(store, QCoreApplication::applicationDirPath(), QDir::tempPath());
    if (!window.Form_Load()) {
        QMessageBox::critical(nullptr, QStringLiteral("Varnelo"), window.failureMessage());
        return 1;
    }
    window.setArabicTextDisabled(ArabicTextDisabledBy(app.arguments().mid(1)));
    window.show();
    return app.exec();
}

}  // namespace varnelo
