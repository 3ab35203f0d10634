#include "CommentLines.h"

#include "platform/Cp932.h"

#include <QList>

namespace tanzo {

CommentLines splitComment(const QString& text) {
    CommentLines lines;
    const QList<uint> codePoints = text.toUcs4();
    cp932::Converter toCp932(cp932::Converter::Direction::ToCp932);
    qsizetype next = 0;
    for (QString& line : lines) {
        int lineWidth = 0;
        while (next < codePoints.size()) {
            const char32_t ch = codePoints[next];
            const int w = cp932::charWidth(ch, toCp932);
            if (lineWidth >= CommentLineBytes || w > CommentLineBytes - lineWidth)
                break;
            line.append(QString::fromUcs4(&ch, 1));
            lineWidth += w;
            ++next;
        }
        if (next >= codePoints.size())
            break;
    }
    return lines;
}

} // namespace tanzo
