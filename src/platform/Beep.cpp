#include "Beep.h"

#include <QApplication>

namespace tanzo {
namespace {
std::function<void()>& beepHook() {
    static std::function<void()> h;
    return h;
}
} // namespace

void setBeepHook(std::function<void()> hook) {
    beepHook() = std::move(hook);
}

void systemBeep() {
    if (beepHook()) {
        beepHook()();
        return;
    }
    QApplication::beep();
}

} // namespace tanzo
