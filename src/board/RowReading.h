#pragma once

#include "board/BoardLayout.h"

#include <QString>

#include <array>

class QWidget;

namespace tanzo {

class Twips;

// What a screen reader reads of one board row: its captions as they stand.
struct RowCaptions {
    QString seq;    // こんど, つぎ, そのつぎ
    QString status; // 重要…, or the date of a day that is not today
    QString hour;   // flap digits, "1 0"
    QString minute; // "0 9"
    QString place;
    QString comment; // the end-of-day message stands here on the first row
};

// The row as one sentence: 「こんど、10時30分、会議室、重要、資料持参」.
// Empty parts are left out; the end-of-day message is read as itself.
QString rowSentence(const RowCaptions& row);

// The rows as assistive technology sees them: a list of three items, each
// named by its sentence, over the labels that draw it. The labels
// themselves are left out of the accessibility tree, so the flap's
// half-drawn texts are never read; a row's name changes once, when its
// fill has ended.
class RowReading {
public:
    // The list is a child of `window`, below every label and transparent to
    // the mouse.
    explicit RowReading(QWidget& window);

    QWidget* list() const { return m_list; }
    QWidget* row(int index) const { return m_rows[static_cast<size_t>(index)]; }

    // Covers the three rows of the layout.
    void place(const layout::SizeGeometry& geometry, const Twips& twips);
    // Names row `index` (0-2) by its captions; no event when it reads the same.
    void setCaptions(int index, const RowCaptions& captions);

private:
    QWidget* m_list = nullptr;
    std::array<QWidget*, 3> m_rows{};
};

} // namespace tanzo
