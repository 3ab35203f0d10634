#pragma once

#include "alarm/AlarmEvaluator.h"
#include "board/BoardLayout.h"
#include "board/BoardPage.h"
#include "core/BoardHost.h"
#include "platform/Twips.h"

#include <QDate>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QTimer;

namespace tanzo {

struct AppState;
class BoardBehaviour;
class FillAnimation;
class WidgetBoardSurface;

// The board window: three rows of a departure board, the title strip and
// the one-second tick. Input is forwarded to a BoardBehaviour; the rows are drawn by
// the fill animation.
class MainWindow : public QWidget, public BoardHost {
    Q_OBJECT
public:
    MainWindow(AppState& state, NoticeSink notices, QWidget* parent = nullptr);
    ~MainWindow() override;

    // May be null: input that needs a behaviour is then ignored.
    void setBehaviour(BoardBehaviour* behaviour);
    BoardBehaviour* behaviour() const { return m_behaviour; }
    // True when the schedule editor, the options dialog and the version
    // window are all open; a fill then does not raise the board.
    void setAllDialogsOpenProbe(std::function<bool()> probe);

    // Redraws the rows from `firstIndex` on, showing the appointments dated
    // `from` to `to`. Asynchronous: `done` runs once the rows are drawn
    // (paging moves the page there). A request while a fill runs first brings
    // the running fill to its end.
    void fillBoard(int firstIndex, QDate from, QDate to, bool force,
                   std::function<void()> done = {});
    bool fillRunning() const;
    // Moves the page to today's next upcoming appointment.
    void locateNextEntry();
    BoardPage& page() { return m_page; }
    const BoardPage& page() const { return m_page; }
    // The next upcoming appointment heads the board again: the page moves
    // there and the rows are redrawn with today's appointments.
    void refreshBoard(bool force, std::function<void()> done = {});

    // The label `column`_`index`, e.g. cell("lblComment", 4); null if none.
    QLabel* cell(const QString& column, int index) const;
    QTimer* timer1() const { return m_timer1; }
    FillAnimation& fillAnimation() { return *m_fill; }

    // Every second: loads the appointments when they are stale, redraws
    // after a load and gives the notices that are due.
    void tick();

    // Really closes the board (the exit command's last step).
    void unload();

    // BoardHost
    void stopTimer() override;
    void startTimer() override;
    void applyBoardLayout(int size) override;
    QRect boardRect() const override;
    void moveBoardTo(int left, int top) override;
    void placeBoard(int insertAfter, const QRect& pixels, int flags) override;
    bool isInTray() const override;
    void applyWindowOptions() override;
    QFont boardFont() const override;
    QIcon boardIcon() const override;
    QWidget* boardWidget() override { return this; }

signals:
    void exitRequested();
    void unloaded();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createTitleStrip();
    void createHeader();
    void createRows();
    void initBoardLabels();
    void alignCellText(layout::Column column, int first, int last);
    void placeLabel(QLabel* label, double left, double top, double width, double height);
    void raiseForFill();
    void onFillStarted();
    void onFillFinished();
    void evaluateAlarmsAndRefresh();
    QLabel* newLabel(const QString& name);

    AppState& m_state;
    NoticeSink m_notices;
    BoardBehaviour* m_behaviour = nullptr;
    std::function<bool()> m_allDialogsOpen;
    QTimer* m_timer1 = nullptr;
    std::unique_ptr<WidgetBoardSurface> m_surface;
    std::unique_ptr<FillAnimation> m_fill;

    QLabel* m_lblCntl = nullptr;
    QLabel* m_lblTitle = nullptr;
    QLabel* m_lblMini = nullptr;
    QLabel* m_lblExit = nullptr;
    std::array<QLabel*, 5> m_headers{}; // Label1..Label5
    // m_columns[column][member], members 0-2 cells, 3-5 texts.
    std::array<std::array<QLabel*, 6>, layout::ColumnCount> m_columns{};

    // Where each cell sits, in twips, so text centring works on exact values.
    std::array<std::array<layout::TwipRect, 3>, layout::ColumnCount> m_cellRects{};
    Twips m_twips;
    QIcon m_icon;

    // A load replaced the list since the rows were last drawn.
    bool m_redrawPending = false;
    BoardPage m_page;
    // The two text colours the rows were drawn in; a layout after the user
    // chose new ones carries labels in these over to the new colours.
    BgrColor m_drawnForeColor1;
    BgrColor m_drawnForeColor2;
    QDate m_lastTickDate;
    bool m_unloading = false;
};

} // namespace tanzo
