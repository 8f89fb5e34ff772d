// The baseline of the start-up and memory benchmarks: a plain Qt program with a window, a sound
// sink and a text browser showing a page of text. With "--stay" it goes on running after its
// report, until it is ended, as the program does.
#include <QApplication>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "childreport.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QAudioFormat format;
    format.setSampleRate(44100);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    QAudioSink sink(QMediaDevices::defaultAudioOutput(), format);

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *browser = new QTextBrowser(&window);
    layout->addWidget(browser);
    QString page;
    for (int i = 1; i <= 40; ++i)
        page += QStringLiteral("<p>(%1) In the name of God, the Merciful, the Compassionate.</p>")
                    .arg(i);
    browser->setHtml(page);
    // The main window fills the screen on a first start; so does this one.
    if (const QScreen *screen = window.screen())
        window.setGeometry(screen->availableGeometry());
    const bool stay = app.arguments().contains(QStringLiteral("--stay"));
    varnelo::benchchild::FirstPaintReporter reporter(&window, !stay);
    window.show();
    return app.exec();
}
