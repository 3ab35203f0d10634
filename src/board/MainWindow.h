#pragma once

#include "board/BoardAccessible.h"
#include "board/BoardLayout.h"
#include "board/BoardView.h"
#include "platform/Twips.h"

#include <QDate>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QLabel;

namespace tanzo {

struct AppContext;
class FillAnimation;
class BoardFace;
class FocusMark;

// The board window: three rows of a departure board and the title strip, a
// view of the schedule store. What the user does on it is announced by its
// signals (the window behaviour takes them and its keys); the rows are drawn
// by the fill animation. Which appointments they show is the paging's to
// decide (BoardPaging): the window draws what it is asked for. To assistive
// technology it is its title strip and a list of three rows, each read as
// one sentence.
class MainWindow : public QWidget, public BoardView, public AccessibleParts {
    Q_OBJECT
public:
    explicit MainWindow(AppContext& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The label `column`_`index`, e.g. cell("lblComment", 4); null if none.
    QLabel* cell(const QString& column, int index) const;
    FillAnimation& fillAnimation() { return *m_fill; }
    const BoardFace& face() const { return *m_face; }
    const FocusMark& focusMark() const { return *m_focusMark; }

    // AccessibleParts
    QList<QWidget*> accessibleParts() const override;

    // Really closes the board (the exit command's last step).
    void unload();

    // BoardView
    QRect boardRect() const override;
    void moveBoardTo(int left, int top) override;
    void placeBoardAt(const QRect& pixels, Focus focus) override;
    void raiseBoardOnce(Focus focus) override;
    void setBoardStaysOnTop(bool on) override;
    void hideInTray() override;
    bool isInTray() const override { return m_inTray; }
    void applyBoardLayout(int size) override;
    QFont boardFont() const override;
    QIcon boardIcon() const override;
    QWidget* boardWidget() override { return this; }
    // A request while a fill runs first brings the running fill to its end.
    void fillBoard(int firstIndex, QDate from, QDate to, bool force,
                   std::function<void()> done = {}) override;
    bool fillRunning() const override;
    bool closing() const override { return m_unloading; }
    void setCommentToolTip(int row, const QString& tip) override;
    QPoint commandMenuAnchor() const override;
    void showCommandMenuOpen(bool open) override;

signals:
    // × was pressed, or the window manager closed the board.
    void exitRequested();
    void unloaded();
    // □ was pressed (clicked at `globalAt`, or pressed by key or assistive
    // technology, at the control's foot).
    void commandMenuRequested(const QPoint& globalAt);
    // － was pressed.
    void trayRequested();
    // A button went down or up on the title, or the pointer moved over the
    // board; global pixels.
    void titlePressed(Qt::MouseButton button, const QPoint& globalCursor);
    void titleReleased(Qt::MouseButton button);
    void pointerMoved(const QPoint& globalCursor);
    // The pointer is over row `row`'s (0-2) comment.
    void commentHovered(int row);
    // The rows started to be redrawn.
    void fillStarted();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showBusy();
    void showIdle();
    bool pressTitleButton(QObject* button, const QPoint& globalAt);

    AppContext& m_state;
    std::unique_ptr<BoardFace> m_face;
    std::unique_ptr<FillAnimation> m_fill;
    FocusMark* m_focusMark = nullptr;

    QIcon m_icon;

    bool m_unloading = false;
    bool m_inTray = false;
};

} // namespace tanzo
