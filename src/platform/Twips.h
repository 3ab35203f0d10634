#pragma once

#include <QRect>
#include <QSizeF>

#include <cmath>

namespace tanzo {

// Rounds to the nearest integer, halves to even (banker's rounding), as the
// conversions of window geometry require.
inline int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value)); // default FE_TONEAREST mode
}

// Geometry is kept in twips (1/1440 inch) and turned into pixels with the
// screen's twips per pixel.
class Twips {
public:
    explicit Twips(double twipsPerPixel = 15.0) : m_tpp(twipsPerPixel) {}

    // Twips per pixel of the primary screen: 1440 / its logical dpi.
    static Twips fromPrimaryScreen();

    double perPixel() const { return m_tpp; }
    int toPixels(double twips) const { return roundHalfEven(twips / m_tpp); }
    double fromPixels(double pixels) const { return pixels * m_tpp; }

    // The primary screen's size in twips (falls back to 1920 x 1080 pixels
    // when there is no screen).
    static QSizeF screenSizeTwips();
    // The primary screen's size in pixels.
    static QSize screenSizePixels();
    // The part of the primary screen that panels leave free, in pixels.
    static QRect availableAreaPixels();

private:
    double m_tpp;
};

} // namespace tanzo
