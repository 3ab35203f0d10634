// One frameless window with one Japanese label and nothing else. Its start-up
// time, memory and idle CPU are what a Qt Widgets board cannot go below.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tanzo_floor"));

    QLabel label(QStringLiteral("次の予定　会議室　１０：３０"));
    label.setWindowFlags(Qt::FramelessWindowHint);
    label.setWindowTitle(QStringLiteral("tanzo_floor"));
    // The board's small size, so both put the same number of pixels up.
    label.resize(410, 94);
    label.show();
    return QApplication::exec();
}
