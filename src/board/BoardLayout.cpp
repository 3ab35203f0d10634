#include "BoardLayout.h"

namespace tanzo::layout {

namespace {

const QString kColumnNames[ColumnCount] = {QStringLiteral("lblSeq"),    QStringLiteral("lblStatus"),
                                           QStringLiteral("lblPlace"),  QStringLiteral("lblHour"),
                                           QStringLiteral("lblDot"),    QStringLiteral("lblMin"),
                                           QStringLiteral("lblComment")};

// Cells as left / width per column (Seq, Status, Place, Hour, Dot, Min,
// Comment); headers Label1..Label5. The hour, colon and minute cells overlap
// by 30 twips on purpose: that is how the board has always looked.
const SizeGeometry kBig{
    9480,
    1680,
    8670,
    8910,
    9150,
    345,
    {540, 885, 1230},
    {{{15, 1230}, {1260, 1230}, {2505, 2265}, {4785, 480}, {5235, 150}, {5355, 480}, {5850, 3525}}},
    {{{1245, 1245}, {2490, 2280}, {4770, 1065}, {5835, 3540}, {1245, 8130}}},
    QStringLiteral("ステータス")};

const SizeGeometry kMiddle{
    7595,
    1590,
    6780,
    7020,
    7260,
    315,
    {540, 855, 1170},
    {{{15, 990}, {1005, 990}, {1995, 1740}, {3735, 435}, {4140, 150}, {4260, 435}, {4695, 2790}}},
    {{{1005, 990}, {1995, 1740}, {3735, 960}, {4695, 2790}, {1005, 6480}}},
    QStringLiteral("ステータス")};

const SizeGeometry kSmall{
    6155,
    1410,
    5340,
    5580,
    5820,
    255,
    {540, 795, 1050},
    {{{15, 810}, {825, 810}, {1635, 1350}, {2985, 375}, {3330, 135}, {3435, 375}, {3810, 2235}}},
    {{{825, 810}, {1635, 1350}, {2985, 825}, {3810, 2235}, {825, 5220}}},
    QStringLiteral("ｽﾃｰﾀｽ")};

} // namespace

QString columnName(Column column) {
    return column >= 0 && column < ColumnCount ? kColumnNames[column] : QString();
}

Column columnFromName(const QString& name) {
    for (int c = 0; c < ColumnCount; ++c) {
        if (kColumnNames[c] == name)
            return static_cast<Column>(c);
    }
    return ColumnCount;
}

const SizeGeometry& geometry(int size) {
    switch (size) {
    case Big:
        return kBig;
    case Middle:
        return kMiddle;
    default:
        return kSmall;
    }
}

TwipRect cellRect(const SizeGeometry& g, Column column, int row) {
    const Span& span = g.cells[column];
    return TwipRect{double(span.left), double(g.rowTops[row]), double(span.width),
                    double(g.rowHeight)};
}

QPointF alignedTextPos(Column column, const TwipRect& cell, const QSizeF& text) {
    const double left = column == Comment ? cell.left + CommentIndent
                                          : cell.left + (cell.width - text.width()) / 2.0;
    const double top = cell.top + (cell.height - text.height()) / 2.0;
    return {left, top};
}

BgrColor carriedColor(BgrColor current, BgrColor previous1, BgrColor previous2,
                      const Settings& settings) {
    if (current == previous1)
        return settings.foreColor1;
    if (current == previous2)
        return settings.foreColor2;
    return current;
}

} // namespace tanzo::layout
