// Plays one file through the program's sound player and keeps the event loop
// running long enough for it to be heard; the sound test records the output.
#include "platform/SoundPlayer.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FILE.wav MILLISECONDS\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int ms = QString::fromLatin1(argv[2]).toInt();
    QTimer::singleShot(0, [path] { tanzo::defaultSoundPlayer().play(path); });
    QTimer::singleShot(ms, &app, &QCoreApplication::quit);
    return app.exec();
}
