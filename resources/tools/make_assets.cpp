// Build-time generator of the program's media and icons:
//   tanzo_make_assets chord FILE.wav
//   tanzo_make_assets icon SIZE FILE.png
#include "ChordSynth.h"
#include "platform/AppIcon.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>
#include <cstring>

// The generator only runs during the build; Qt's process-lifetime
// allocations are not worth failing a sanitizer build over.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return false;
    }
    return file.commit();
}

int usage() {
    std::fputs("usage: tanzo_make_assets chord FILE.wav | icon SIZE FILE.png\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "chord") == 0) {
        const QString path = QString::fromLocal8Bit(argv[2]);
        using namespace tanzo::assets;
        if (!writeFile(path, wavFile(synthesiseChord(), kChordSampleRate))) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "icon") == 0) {
        const int size = std::atoi(argv[2]);
        if (size < 1 || size > 1024) {
            return usage();
        }
        const QString path = QString::fromLocal8Bit(argv[3]);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!tanzo::appIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    return usage();
}
