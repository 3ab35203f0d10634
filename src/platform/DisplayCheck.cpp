#include "DisplayCheck.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

#ifdef TANZO_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace tanzo {
namespace {

QtMessageHandler previousHandler = nullptr;

// What the toolkit says while it starts, held back until it is known
// whether the start failed for want of a display: then one sentence says
// all, as a display that is not named is told.
struct HeldMessage {
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;
};
// The toolkit's threads may speak too; a start says a few lines at most.
std::mutex heldMutex;
QList<HeldMessage> heldMessages;
constexpr qsizetype kMaxHeldMessages = 200;

void passOnHeldMessages() {
    QList<HeldMessage> held;
    {
        const std::lock_guard lock(heldMutex);
        held = std::exchange(heldMessages, {});
    }
    if (!previousHandler)
        return;
    for (const HeldMessage& m : held) {
        const QMessageLogContext context(m.file.constData(), m.line, m.function.constData(),
                                         m.category.constData());
        previousHandler(m.type, context, m.text);
    }
}

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
    if (type != QtFatalMsg) {
        const std::lock_guard lock(heldMutex);
        if (heldMessages.size() < kMaxHeldMessages)
            heldMessages.append(
                {type, context.file, context.line, context.function, context.category, message});
        return;
    }
    if (const QString reason = unreachableDisplayReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "tanzo: %s\n", reason.toUtf8().constData());
        std::_Exit(1);
    }
    passOnHeldMessages();
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
    passOnHeldMessages();
    previousHandler = nullptr;
}

} // namespace tanzo
