#pragma once

#include <QIcon>
#include <QImage>

namespace tanzo {

// The program's icon: a departure-board flap on a dark blue tile with an
// amber lamp. Drawn rather than shipped as a file, so every size is crisp and
// the build makes the installed PNGs from the same drawing.
QImage appIconImage(int size);

// The icon, drawn in the size a desktop asks for. Needs a QGuiApplication.
QIcon appIcon();

} // namespace tanzo
