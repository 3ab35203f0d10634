#pragma once

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace tanzo::options {

// Where a window of `size` stands centred on the primary screen.
inline QRect centredOnPrimaryScreen(const QSize& size) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
    return QRect(area.left() + (area.width() - size.width()) / 2,
                 area.top() + (area.height() - size.height()) / 2, size.width(), size.height());
}

} // namespace tanzo::options
