#include "CalendarModuleEntry.h"

#include "platform/PluginModule.h"

#include <cstdio>

namespace tanzo {
namespace {

QString moduleMissing() {
    return QStringLiteral("カレンダーの機能（%1）を読み込めませんでした。"
                          "プログラムを入れ直してください。")
        .arg(QStringLiteral(TANZO_CALENDAR_MODULE_FILE));
}

template <typename Entry> Entry resolve(const char* symbol) {
    return reinterpret_cast<Entry>(resolveModuleSymbol(TANZO_CALENDAR_MODULE_FILE, symbol));
}

void tellOnStandardError(const QString& text) {
    std::fprintf(stderr, "tanzo: %s\n", text.toUtf8().constData());
}

} // namespace

std::unique_ptr<CalendarServices> loadCalendarServices(const CalendarServices::Board& board,
                                                       QString* error) {
    const auto make = resolve<TanzoMakeCalendarServices>(calendarmodule::kMakeServices);
    if (!make) {
        if (error)
            *error = moduleMissing();
        return nullptr;
    }
    return std::unique_ptr<CalendarServices>(make(&board));
}

int runCommandLineModule(int argc, char** argv) {
    const auto run = resolve<TanzoRunCommandLine>(calendarmodule::kRunCommandLine);
    if (!run) {
        tellOnStandardError(moduleMissing());
        return 1;
    }
    return run(argc, argv);
}

bool raiseRunningBoardModule() {
    const auto raise = resolve<TanzoRaiseRunningBoard>(calendarmodule::kRaiseRunningBoard);
    if (!raise) {
        tellOnStandardError(moduleMissing());
        return false;
    }
    return raise();
}

} // namespace tanzo
