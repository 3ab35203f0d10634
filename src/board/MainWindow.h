#pragma once

#include "board/BoardAccessible.h"
#include "board/BoardLayout.h"
#include "core/BoardHost.h"
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
class BoardBehaviour;
class FillAnimation;
class BoardFace;
class FocusMark;

// The board window: three rows of a departure board and the title strip, a
// view of the schedule store. Input is forwarded to a BoardBehaviour; the
// rows are drawn by the fill animation. Which appointments they show is the
// paging's to decide (BoardPaging): the window draws what it is asked for.
// To assistive technology it is its title strip and a list of three rows,
// each read as one sentence.
class MainWindow : public QWidget, public BoardHost, public AccessibleParts {
    Q_OBJECT
public:
    explicit MainWindow(AppContext& state, QWidget* parent = nullptr);
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

    // The label `column`_`index`, e.g. cell("lblComment", 4); null if none.
    QLabel* cell(const QString& column, int index) const;
    FillAnimation& fillAnimation() { return *m_fill; }
    const BoardFace& face() const { return *m_face; }
    const FocusMark& focusMark() const { return *m_focusMark; }

    // AccessibleParts
    QList<QWidget*> accessibleParts() const override;

    // Really closes the board (the exit command's last step).
    void unload();
    bool isUnloading() const { return m_unloading; }

    // BoardHost
    void applyBoardLayout(int size) override;
    QRect boardRect() const override;
    void moveBoardTo(int left, int top) override;
    void placeBoardAt(const QRect& pixels, Focus focus) override;
    void raiseBoardOnce(Focus focus) override;
    void setBoardStaysOnTop(bool on) override;
    bool isInTray() const override;
    void applyWindowOptions() override;
    QFont boardFont() const override;
    QIcon boardIcon() const override;
    QWidget* boardWidget() override { return this; }

signals:
    void exitRequested();
    void unloaded();
    // The board came forward for a fill: windows that must stay in view
    // (the notices) come forward again after it.
    void cameForward();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void raiseForFill();
    void showBusyAndComeForward();
    void showIdle();
    bool pressTitleButton(QObject* button, const QPoint& globalAt);

    AppContext& m_state;
    BoardBehaviour* m_behaviour = nullptr;
    std::function<bool()> m_allDialogsOpen;
    std::unique_ptr<BoardFace> m_face;
    std::unique_ptr<FillAnimation> m_fill;
    FocusMark* m_focusMark = nullptr;

    QIcon m_icon;

    bool m_unloading = false;
};

} // namespace tanzo
