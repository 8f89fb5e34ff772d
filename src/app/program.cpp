#include "app/program.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QScopeGuard>

#include "mainwindow/frmabout.h"
#include "mainwindow/frmmain.h"
#include "platform/documentopener.h"
#include "platform/folders.h"
#include "platform/freedmemory.h"
#include "platform/qsettingsstore.h"
#include "platform/qtaudiooutput.h"
#include "platform/qtclipboard.h"
#include "platform/sessionend.h"
#include "platform/widgetdialogs.h"

namespace varnelo {

bool ArabicTextDisabledBy(const QStringList &arguments) {
    return arguments == QStringList{QStringLiteral("NOARABIC")};
}

int RunVarnelo(int argc, char *argv[]) {
    // Page images and frames come and go with every part; what is freed leaves the process.
    ReturnLargeBlocksWhenFreed();
    QApplication app(argc, argv);
    // The program ends when the main window has stored its values, not when a window closes.
    app.setQuitOnLastWindowClosed(false);
    QSettingsStore store;
    QtAudioOutput audio;
    QtClipboard clipboard;
    WidgetDialogs dialogs(nullptr);
    DesktopOpener opener;
    frmMain window({store, audio, dialogs, clipboard}, QCoreApplication::applicationDirPath(),
                   QDir::tempPath());
    // The instance's work folder goes with the program, however it ends.
    const auto removeWorkFolder = qScopeGuard([&] { RemoveInstanceFolder(window.TempFolder()); });
    window.setNoArabicArgument(ArabicTextDisabledBy(app.arguments().mid(1)));
    window.setAboutShower([&] {
        frmAbout about(store, window.AppFolder(), window.TempFolder(), opener, dialogs, &window);
        about.exec();
    });
    // A session that ends, SIGTERM or SIGINT store everything as a close does.
    SessionEndWatcher sessionEnd([&] { window.Form_Unload(); });
    bool ended = false;
    window.setProcessEnder([&] {
        ended = true;
        sessionEnd.end();
        QCoreApplication::exit(0);
    });
    if (!window.Form_Load()) {
        QMessageBox::critical(nullptr, QStringLiteral("Varnelo"), window.failureMessage());
        return 1;
    }
    // An end that came while start-up ran a dialog has no event loop left to leave.
    return ended ? 0 : app.exec();
}

}  // namespace varnelo
