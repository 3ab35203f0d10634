#pragma once

#include "core/Settings.h"

#include <QPointF>
#include <QSizeF>
#include <QString>

#include <array>

namespace tanzo::layout {

// The seven label arrays of a board row, in the order the layout walks them.
enum Column { Seq, Status, Place, Hour, Dot, Min, Comment, ColumnCount };

// "lblSeq", "lblStatus", ... (the objectName prefix of the column's labels).
QString columnName(Column column);
// The column whose prefix is `name`, or ColumnCount when none.
Column columnFromName(const QString& name);

// A rectangle in twips; positions are kept as floating point because text
// centring halves odd widths.
struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool operator==(const TwipRect&) const = default;
};

struct Span {
    int left = 0;
    int width = 0;
};

// The fixed geometry of one board size, in twips.
struct SizeGeometry {
    int outerWidth;
    int outerHeight;
    int titleWidth;
    int miniLeft;
    int exitLeft;
    int rowHeight;
    std::array<int, 3> rowTops;
    std::array<Span, ColumnCount> cells;
    std::array<Span, 5> headers; // Label1..Label5
    QString label1Caption;
};

// The title strip and the header band are the same in every size.
constexpr int TitleTop = 15;
constexpr int TitleHeight = 240;
constexpr int CntlLeft = 15;
constexpr int TitleLeft = 240;
constexpr int TitleButtonWidth = 225;
constexpr int HeaderBandTop = 270;
constexpr int HeaderBandHeight = 255;
constexpr int HeaderTop = 375;
constexpr int HeaderHeight = 150;
constexpr int CommentIndent = 20;

constexpr BgrColor WindowBackColor = 0x808080;
constexpr BgrColor TitleForeColor = 0x800000;
constexpr BgrColor TitleButtonBackColor = 0xFFC0C0;
constexpr BgrColor TitleBackColor = 0xFFFFC0;
constexpr BgrColor HeaderBackColor = 0xC0FFFF;
constexpr BgrColor HeaderForeColor = 0xFF0000;
constexpr BgrColor SeqDesignColor = 0xFFFFFF;

inline const QString TitleFontName = QStringLiteral("ＨＧｺﾞｼｯｸE-PRO");
constexpr double TitleFontPoints = 11.25;
constexpr int TitleFontWeight = 800;
inline const QString HeaderFontName = QStringLiteral("ＭＳ ゴシック");
constexpr double HeaderFontPoints = 8.25;

inline const QString TitleCaption = QStringLiteral("〓〓〓〓〓　スケジュールヨルカ　〓〓〓〓〓");
inline const QString HeaderCaptions[4] = {
    QStringLiteral("ステータス"), QStringLiteral("行　　　　先"), QStringLiteral("開始時刻"),
    QStringLiteral("備　　　　　考")};

// The geometry of a BoardSize; an unknown size is treated as Small, the
// size the window design carries.
const SizeGeometry& geometry(int size);

// Cell r (0-2) of a column.
TwipRect cellRect(const SizeGeometry& g, Column column, int row);

// Where the text label of size `text` goes in `cell`:
// centred, except the comment, which starts 20 twips in from the cell's left.
QPointF alignedTextPos(Column column, const TwipRect& cell, const QSizeF& text);

// The colour carry-over of a new layout: a label still in the colour the
// options dialog replaced takes the colour that replaced it.
BgrColor carriedColor(BgrColor current, BgrColor previous1, BgrColor previous2,
                      const Settings& settings);

} // namespace tanzo::layout
