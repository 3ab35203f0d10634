#include "AppIcon.h"

#include <QHash>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <array>

namespace tanzo {

namespace {

const QColor kTileTop(0x1f, 0x3a, 0x78);
const QColor kTileBottom(0x0f, 0x1e, 0x45);
const QColor kFlapUpper(0xf7, 0xf7, 0xf2);
const QColor kFlapLower(0xdc, 0xdf, 0xe6);
const QColor kSeam(0x0b, 0x16, 0x33);
const QColor kAmber(0xff, 0xb0, 0x20);

void drawTile(QPainter& p, const QRectF& r) {
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, kTileTop);
    fill.setColorAt(1, kTileBottom);
    const qreal radius = r.width() * 0.18;
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
}

// The flap: two halves split by a dark seam, the lower one a shade darker
// as if it were just falling, with hinge pins at both ends of the seam.
void drawFlap(QPainter& p, const QRectF& r, qreal unit) {
    const qreal radius = std::max(1.0, r.width() * 0.08);
    const qreal seam = std::max(1.0, unit * 0.9);
    const qreal mid = r.center().y();

    QPainterPath card;
    card.addRoundedRect(r, radius, radius);

    p.save();
    p.setClipPath(card);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), mid - r.top()), kFlapUpper);
    p.fillRect(QRectF(r.left(), mid, r.width(), r.bottom() - mid), kFlapLower);
    p.fillRect(QRectF(r.left(), mid - seam / 2, r.width(), seam), kSeam);
    p.restore();

    const qreal pinW = std::max(1.0, unit * 1.2);
    const qreal pinH = std::max(2.0, unit * 3.0);
    p.setBrush(kSeam);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(r.left() - pinW, mid - pinH / 2, pinW, pinH));
    p.drawRect(QRectF(r.right(), mid - pinH / 2, pinW, pinH));

    // Three short rows on the upper half read as a timetable at large
    // sizes; below 32 pixels they would only blur the flap.
    if (r.width() >= 24) {
        const qreal rowH = std::max(1.0, unit * 0.9);
        const qreal left = r.left() + r.width() * 0.16;
        const std::array<qreal, 3> widths{0.68, 0.52, 0.60};
        for (int i = 0; i < 3; ++i) {
            const qreal y = r.top() + (mid - r.top()) * (0.25 + 0.22 * i);
            p.fillRect(QRectF(left, y, r.width() * widths[i], rowH), kTileBottom);
        }
    }
}

void drawLamp(QPainter& p, const QRectF& tile, qreal unit) {
    const qreal d = std::max(2.0, unit * 4.2);
    const QRectF lamp(tile.left() + tile.width() * 0.5 - d / 2, tile.bottom() - unit * 2.6 - d, d,
                      d);
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    p.drawRoundedRect(lamp.adjusted(-d, 0, d, 0), d / 2, d / 2);
}

} // namespace

QImage appIconImage(int size) {
    size = std::max(size, 1);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, size >= 24);
    const qreal unit = size / 32.0; // the drawing is laid out on a 32-unit grid
    const QRectF tile(0, 0, size, size);
    drawTile(p, tile);
    const QRectF flap(unit * 6, unit * 4.5, unit * 20, unit * 17);
    drawFlap(p, flap, unit);
    drawLamp(p, tile, unit);
    p.end();
    return image;
}

namespace {

// Draws each size when it is first asked for. The window icon takes every
// size an icon offers, so offering only the small ones keeps the large
// drawings (and their copies on the X server) off the start; launchers show
// the installed PNGs instead.
class AppIconEngine : public QIconEngine {
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::max(1, std::min(size.width(), size.height()));
        auto it = m_drawn.constFind(side);
        if (it == m_drawn.constEnd())
            it = m_drawn.insert(side, QPixmap::fromImage(appIconImage(side)));
        return *it;
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}};
    }
    QIconEngine* clone() const override { return new AppIconEngine(*this); }
    QString key() const override { return QStringLiteral("tanzo-app-icon"); }

private:
    QHash<int, QPixmap> m_drawn;
};

} // namespace

QIcon appIcon() {
    return QIcon(new AppIconEngine);
}

} // namespace tanzo
