#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace tanzo {

Twips Twips::fromPrimaryScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return Twips(dpi > 0 ? 1440.0 / dpi : 15.0);
}

QSize Twips::screenSizePixels() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1920, 1080);
}

QRect Twips::availableAreaPixels() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), screenSizePixels());
}

QSizeF Twips::screenSizeTwips() {
    const Twips t = fromPrimaryScreen();
    const QSize px = screenSizePixels();
    return QSizeF(t.fromPixels(px.width()), t.fromPixels(px.height()));
}

} // namespace tanzo
