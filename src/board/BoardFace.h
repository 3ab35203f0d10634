#pragma once

#include "board/BoardLayout.h"
#include "board/BoardSurface.h"
#include "board/RowReading.h"
#include "core/Settings.h"
#include "platform/Twips.h"

#include <QFont>
#include <QSize>

#include <QList>

#include <array>

class QLabel;
class QObject;
class QWidget;

namespace tanzo {

// The labels of the board: the title strip, the header and the three rows
// of cells with their texts, laid out for one of the three sizes. The fill
// animation draws on the row texts through the surface interface.
class BoardFace : public BoardSurface {
public:
    // The labels are children of `window`; their mouse events go to
    // `inputFilter`.
    BoardFace(QWidget& window, const Settings& settings, QObject* inputFilter);

    // The captions the board shows before anything is loaded; they are
    // sized and centred by the next alignTexts() or layOut().
    void showInitialCaptions();
    // Places every label for the size (0 Big, 1 Middle, 2 Small) with the
    // settings' font and colours, and returns the window size it needs.
    QSize layOut(int size);
    // As layOut() but leaves the row texts where they are: sizing them to
    // their captions measures text, which loads the fonts.
    QSize placeCells(int size);
    // Sizes every row text to its caption in the board font and centres it
    // in its cell. The labels' fonts are first switched to the installed
    // families their names stand for.
    void alignTexts();
    // alignTexts() when placeCells() has left the texts unaligned.
    void alignPendingTexts();

    // The label `column`_`index`, e.g. cell("lblComment", 4); null if none.
    QLabel* cell(const QString& column, int index) const;
    // Lets Tab reach the three title buttons (pressed with Space or Enter,
    // see MainWindow). Called once the window has been polished: a label
    // that can take focus lays its text out as a rich-text document when it
    // is polished or given a text, and that would load the whole font
    // database before the board could first be shown. A button builds its
    // document at its first focus instead.
    void makeButtonsFocusable();
    QLabel* commandLabel() const { return m_control; }
    QLabel* titleLabel() const { return m_title; }
    QLabel* minimiseLabel() const { return m_minimise; }
    QLabel* closeLabel() const { return m_close; }
    // Which row's comment label `label` is (0-5), or -1.
    int commentIndexOf(const QObject* label) const;
    // What assistive technology is shown of the board, in reading order: the
    // title strip's buttons and title, the column captions, then the list of
    // rows.
    QList<QWidget*> accessibleParts() const;
    // Names each row by what it shows now (once a fill has ended).
    void readRows();
    const RowReading& rowReading() const { return m_reading; }

    // The board font as the settings name it; the cells draw it with the
    // installed family that name stands for.
    QFont boardFont() const;

    // BoardSurface
    QString caption(layout::Column column, int row) const override;
    void setCaption(layout::Column column, int row, const QString& caption) override;
    BgrColor color(layout::Column column, int row) const override;
    void setColor(layout::Column column, int row, BgrColor color) override;
    void setVisible(layout::Column column, int row, bool visible) override;
    void align(layout::Column column, int row) override;

private:
    QLabel* newLabel(const QString& name);
    void createTitleStrip();
    void createHeader();
    void createRows();
    void alignCellText(layout::Column column, int first, int last);
    void drawWithInstalledFamilies();
    void placeLabel(QLabel* label, double left, double top, double width, double height);
    QLabel* text(layout::Column column, int row) const { return m_columns[column][row + 3]; }

    QWidget& m_window;
    const Settings& m_settings;
    QObject* m_inputFilter;
    Twips m_twips;
    RowReading m_reading;

    QLabel* m_control = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_minimise = nullptr;
    QLabel* m_close = nullptr;
    std::array<QLabel*, 5> m_headers{}; // Label1..Label5
    // m_columns[column][member], members 0-2 cells, 3-5 texts.
    std::array<std::array<QLabel*, 6>, layout::ColumnCount> m_columns{};
    // Where each cell sits, in twips, so text centring works on exact values.
    std::array<std::array<layout::TwipRect, 3>, layout::ColumnCount> m_cellRects{};
    // The two text colours the rows were drawn in; a layout after the user
    // chose new ones carries labels in these over to the new colours.
    BgrColor m_drawnForeColor1;
    BgrColor m_drawnForeColor2;
    bool m_textsPending = false;
};

} // namespace tanzo
