#include "ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace tanzo {
namespace {

int clampEdge(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

qint64 overlap(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

} // namespace

QPoint positionInsideArea(const QRect& window, const QList<QRect>& areas,
                          const QRect& primaryArea) {
    QRect area = primaryArea;
    qint64 best = 0;
    for (const QRect& candidate : areas) {
        const qint64 shared = overlap(window, candidate);
        if (shared > best) {
            best = shared;
            area = candidate;
        }
    }
    if (area.isEmpty())
        return window.topLeft();
    return {clampEdge(window.left(), area.left(), area.right() + 1 - window.width()),
            clampEdge(window.top(), area.top(), area.bottom() + 1 - window.height())};
}

QPoint positionInsideScreens(const QRect& window) {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    const QScreen* primary = QGuiApplication::primaryScreen();
    return positionInsideArea(window, areas, primary ? primary->availableGeometry() : QRect());
}

} // namespace tanzo
