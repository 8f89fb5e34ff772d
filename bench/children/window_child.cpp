// The main window built as the program builds it, for the start-up and memory benchmarks. The
// program folder comes from VARNELO_APP_FOLDER; "--sura N" loads sura N before the report.
#include <QApplication>
#include <QComboBox>
#include <QDir>

#include "childreport.h"
#include "mainwindow/frmmain.h"
#include "platform/freedmemory.h"
#include "platform/messagebox.h"
#include "platform/qsettingsstore.h"
#include "platform/qtaudiooutput.h"
#include "platform/qtclipboard.h"

using namespace varnelo;

namespace {

// The program's message boxes would wait for a user; a machine without a sound card gets one
// while the window is built. The messages go to stderr instead.
class StderrMessages : public MessageBox {
public:
    void information(const QString &title, const QString &text) override {
        std::fprintf(stderr, "[message] %s: %s\n", qPrintable(title), qPrintable(text));
    }
    bool question(const QString &, const QString &) override { return false; }
    QString inputBox(const QString &, const QString &) override { return QString(); }
};

}  // namespace

int main(int argc, char *argv[]) {
    // As the program's start does.
    ReturnLargeBlocksWhenFreed();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const QStringList arguments = app.arguments();
    const int suraArgument = arguments.indexOf(QStringLiteral("--sura"));
    const int sura = suraArgument > 0 ? arguments.value(suraArgument + 1).toInt() : 0;

    QSettingsStore store;
    QtAudioOutput audio;
    QtClipboard clipboard;
    StderrMessages dialogs;
    frmMain window({store, audio, dialogs, clipboard}, qEnvironmentVariable("VARNELO_APP_FOLDER"),
                   QDir::tempPath());
    // The About window of a first start would wait for the user.
    window.setAboutShower([] {});
    std::unique_ptr<benchchild::FirstPaintReporter> reporter;
    if (sura == 0)
        reporter = std::make_unique<benchchild::FirstPaintReporter>(&window);
    if (!window.Form_Load()) {
        std::printf("failed %s\n", qPrintable(window.failureMessage()));
        return 1;
    }
    if (sura > 0) {
        window.findChild<QComboBox *>(QStringLiteral("cmbSura"))->setCurrentIndex(sura - 1);
        if (window.loader().loadedSura() != sura) {
            std::printf("failed sura %d did not load\n", sura);
            return 1;
        }
        reporter = std::make_unique<benchchild::FirstPaintReporter>(&window);
        window.update();
    }
    return app.exec();
}
