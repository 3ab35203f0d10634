#include "DisplayCheck.h"

#ifdef TANZO_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace tanzo {

QString missingDisplayReason() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb")))
        return {};
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) {
        if (platform.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return {};
        return QStringLiteral("ボードを表示する画面がありません（DISPLAY が設定されていません）。");
    }
#ifdef TANZO_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (failed)
        return QStringLiteral("画面 %1 に接続できないため、ボードを表示できません。").arg(display);
#endif
    return {};
}

} // namespace tanzo
