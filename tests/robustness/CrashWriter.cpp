// Saves the data file or the settings file over and over, alternating two
// contents, until it is killed. Writes one byte to stdout once the first save
// is done, so the killer knows the loop is running.
//
//   tanzo_crash_writer data|settings <path>
#include "CrashLists.h"

#include "core/SettingsRepository.h"
#include "platform/RegistryStore.h"
#include "schedule/DataFile.h"

#include <QSizeF>

#include <cstdio>
#include <cstring>

#include <unistd.h>

using namespace tanzo;

namespace {

void announce(bool& announced) {
    if (announced)
        return;
    announced = true;
    const char ready = 'R';
    if (write(STDOUT_FILENO, &ready, 1) != 1)
        _exit(3);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s data|settings <path>\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[2]);
    bool announced = false;
    if (std::strcmp(argv[1], "data") == 0) {
        const DayList lists[2] = {crash::dayList(false), crash::dayList(true)};
        DataFile file(path);
        for (unsigned n = 1;; ++n) {
            if (!file.save(lists[n % 2]))
                return 1;
            announce(announced);
        }
    }
    if (std::strcmp(argv[1], "settings") == 0) {
        const Settings contents[2] = {crash::settings(false), crash::settings(true)};
        RegistryStore store(path);
        SettingsRepository repository(store);
        for (unsigned n = 1;; ++n) {
            if (!repository.writeAllSettings(contents[n % 2], false))
                return 1;
            announce(announced);
        }
    }
    return 2;
}
