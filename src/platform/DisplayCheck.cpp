#include "DisplayCheck.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

#ifdef TANZO_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace tanzo {
namespace {

QtMessageHandler previousHandler = nullptr;

// Empty when the display named by DISPLAY answers (or when this build
// cannot tell).
QString unreachableDisplayReason() {
#ifdef TANZO_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (failed)
        return QStringLiteral("画面 %1 に接続できないため、ボードを表示できません。")
            .arg(qEnvironmentVariable("DISPLAY"));
#endif
    return {};
}

void explainFatalStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        if (const QString reason = unreachableDisplayReason(); !reason.isEmpty()) {
            std::fprintf(stderr, "tanzo: %s\n", reason.toUtf8().constData());
            std::_Exit(1);
        }
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

QString missingDisplayReason() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb")))
        return {};
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        if (platform.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return {};
        return QStringLiteral("ボードを表示する画面がありません（DISPLAY が設定されていません）。");
    }
    return {};
}

DisplayFailureExplanation::DisplayFailureExplanation() {
    previousHandler = qInstallMessageHandler(explainFatalStart);
}

DisplayFailureExplanation::~DisplayFailureExplanation() {
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
}

} // namespace tanzo
