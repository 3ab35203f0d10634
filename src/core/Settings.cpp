#include "Settings.h"

namespace tanzo {

void splitSoundPath(const QString& path, QString& directory, QString& fileName) {
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    directory = path.left(cut + 1);
    fileName = path.mid(cut + 1);
}

int16_t fitWindowSizeToScreen(int16_t size, const QSizeF& screenTwips) {
    // The start-up fit asks for the height as well; the size menu only for
    // the width.
    while (size < Small) {
        const BoardSizeFacts needs = boardSizeFacts(size);
        if (screenTwips.width() >= needs.minScreenWidthTwips &&
            screenTwips.height() >= needs.minScreenHeightTwips)
            break;
        ++size;
    }
    return size;
}

} // namespace tanzo
