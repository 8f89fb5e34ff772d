#include <QApplication>
#include <QListWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QListWidget list;
    list.setObjectName("cmbSura");
    list.setWindowTitle("Varnelo");
    list.show();
    return app.exec();
}
