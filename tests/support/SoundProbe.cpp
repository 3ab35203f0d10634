// Plays one file through the program's sound player and keeps the event loop
// running long enough for it to be heard; the sound test records the output.
// With a third argument the player is first prepared, as before a notice, and
// the play comes that many milliseconds later. The moment of the play is
// printed, so that a recording can tell how long the sound took to start.
#include "platform/SoundPlayer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s FILE.wav MILLISECONDS [PREPARE_AHEAD_MS]\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int ms = QString::fromLatin1(argv[2]).toInt();
    int playAt = 0;
    if (argc == 4) {
        playAt = QString::fromLatin1(argv[3]).toInt();
        QTimer::singleShot(0, [path] { tanzo::defaultSoundPlayer().prepare(path); });
    }
    QTimer::singleShot(playAt, [path] {
        std::printf("play-at-ms: %lld\n", QDateTime::currentMSecsSinceEpoch());
        std::fflush(stdout);
        tanzo::defaultSoundPlayer().play(path);
    });
    QTimer::singleShot(playAt + ms, &app, &QCoreApplication::quit);
    return app.exec();
}
