#include "MainWindow.h"

#include "board/BoardBehaviour.h"
#include "board/BoardContent.h"
#include "board/FillAnimation.h"
#include "core/AppState.h"
#include "core/Colors.h"
#include "platform/AppIcon.h"
#include "platform/Clock.h"
#include "platform/TaskBarHint.h"
#include "platform/WindowPlacement.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace tanzo {

using layout::Column;

namespace {

void setTextColor(QLabel* label, BgrColor color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, toQColor(color));
    label->setPalette(palette);
}

BgrColor textColor(const QLabel* label) {
    return fromQColor(label->palette().color(QPalette::WindowText));
}

void setBackColor(QWidget* widget, BgrColor color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, toQColor(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

// The fill animation's view of the rows: text labels 3-5 of each column.
class WidgetBoardSurface : public BoardSurface {
public:
    using Labels = std::array<std::array<QLabel*, 6>, layout::ColumnCount>;
    WidgetBoardSurface(const Labels& labels, std::function<void(Column, int)> align)
        : m_labels(labels), m_align(std::move(align)) {}

    QString caption(Column column, int row) const override { return text(column, row)->text(); }
    void setCaption(Column column, int row, const QString& caption) override {
        QLabel* label = text(column, row);
        label->setText(caption);
        label->adjustSize();
    }
    BgrColor color(Column column, int row) const override { return textColor(text(column, row)); }
    void setColor(Column column, int row, BgrColor color) override {
        setTextColor(text(column, row), color);
    }
    void setVisible(Column column, int row, bool visible) override {
        text(column, row)->setVisible(visible);
    }
    void align(Column column, int row) override { m_align(column, row); }

private:
    QLabel* text(Column column, int row) const { return m_labels[column][row + 3]; }
    const Labels& m_labels;
    std::function<void(Column, int)> m_align;
};

MainWindow::MainWindow(AppState& state, NoticeSink notices, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Tool), m_state(state),
      m_notices(std::move(notices)), m_twips(Twips::fromPrimaryScreen()), m_icon(appIcon()) {
    setObjectName(QStringLiteral("frmMain"));
    m_drawnForeColor1 = state.settings.ForeColor1;
    m_drawnForeColor2 = state.settings.ForeColor2;
    setWindowTitle(kAppTitle);
    setWindowIcon(m_icon);
    setBackColor(this, layout::WindowBackColor);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);

    // The shell starts the timer once the board is placed; the first tick
    // loads the appointments.
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(1000);
    connect(m_timer1, &QTimer::timeout, this, &MainWindow::tick);
    connect(&m_state.schedule, &ScheduleStore::reloaded, this, [this] { m_redrawPending = true; });

    createHeader();
    createTitleStrip();
    createRows();

    m_surface = std::make_unique<WidgetBoardSurface>(
        m_columns, [this](Column column, int row) { alignCellText(column, row, row); });
    m_fill = std::make_unique<FillAnimation>(m_state, *m_surface);
    m_fill->setHooks({[this] { onFillStarted(); }, [this] { onFillFinished(); }});

    initBoardLabels();
    applyBoardLayout(m_state.settings.WindowSize);
}

MainWindow::~MainWindow() {
    // The fill refers to the labels; end it before they go.
    m_fill.reset();
}

QLabel* MainWindow::newLabel(const QString& name) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->installEventFilter(this);
    return label;
}

void MainWindow::createHeader() {
    QFont font(layout::HeaderFontName);
    font.setPointSizeF(layout::HeaderFontPoints);
    font.setWeight(QFont::Normal);
    // The band first, so the four captions lie in front of it.
    m_headers[4] = newLabel(QStringLiteral("Label5"));
    for (int i = 0; i < 4; ++i) {
        m_headers[i] = newLabel(QStringLiteral("Label%1").arg(i + 1));
        m_headers[i]->setText(layout::HeaderCaptions[i]);
        m_headers[i]->setAlignment(Qt::AlignCenter);
    }
    for (QLabel* header : m_headers) {
        header->setFont(font);
        setBackColor(header, layout::HeaderBackColor);
        setTextColor(header, layout::HeaderForeColor);
    }
}

void MainWindow::createTitleStrip() {
    QFont font(layout::TitleFontName);
    font.setPointSizeF(layout::TitleFontPoints);
    font.setWeight(static_cast<QFont::Weight>(layout::TitleFontWeight));
    const auto make = [&](const QString& name, const QString& caption, const QString& tip,
                          BgrColor back, Qt::Alignment alignment) {
        QLabel* label = newLabel(name);
        label->setText(caption);
        label->setToolTip(tip);
        label->setFont(font);
        label->setAlignment(alignment);
        setBackColor(label, back);
        setTextColor(label, layout::TitleForeColor);
        return label;
    };
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    m_lblCntl = make(QStringLiteral("lblCntl"), QStringLiteral("□"), QStringLiteral("コマンド"),
                     layout::TitleButtonBackColor, left);
    m_lblTitle = make(QStringLiteral("lblTitle"), layout::TitleCaption, QString(),
                      layout::TitleBackColor, Qt::AlignCenter);
    m_lblTitle->setMouseTracking(true);
    m_lblMini = make(QStringLiteral("lblMini"), QStringLiteral("－"), QStringLiteral("最小化"),
                     layout::TitleButtonBackColor, left);
    m_lblExit = make(QStringLiteral("lblExit"), QStringLiteral("×"), QStringLiteral("閉じる"),
                     layout::TitleButtonBackColor, left);
}

void MainWindow::createRows() {
    // Cells before texts: later siblings are drawn in front.
    for (int member = 0; member < 6; ++member) {
        for (int c = 0; c < layout::ColumnCount; ++c) {
            const auto column = static_cast<Column>(c);
            QLabel* label =
                newLabel(QStringLiteral("%1_%2").arg(layout::columnName(column)).arg(member));
            if (member < 3) {
                label->setFrameStyle(QFrame::Box | QFrame::Plain);
                label->setLineWidth(1);
                label->setAlignment(column == layout::Comment ? Qt::AlignLeft | Qt::AlignVCenter
                                                              : Qt::AlignCenter);
            }
            if (column == layout::Comment)
                label->setMouseTracking(true);
            m_columns[c][member] = label;
        }
    }
    for (int c = 0; c < layout::ColumnCount; ++c) {
        for (int member = 3; member < 6; ++member)
            m_columns[c][member]->raise();
    }
}

void MainWindow::initBoardLabels() {
    const Settings& settings = m_state.settings;
    for (auto& column : m_columns) {
        for (int member = 0; member < 3; ++member) {
            column[member]->setText(QString());
            setBackColor(column[member], settings.BackColor);
        }
    }
    for (int r = 0; r < 3; ++r) {
        const auto text = [&](Column column) { return m_columns[column][r + 3]; };
        text(layout::Seq)->setText(board::SeqWords[r]);
        setTextColor(text(layout::Seq), layout::SeqDesignColor);
        text(layout::Status)->setText(QString());
        setTextColor(text(layout::Status), layout::SeqDesignColor);
        text(layout::Place)->setText(board::AdjustingPlace);
        text(layout::Dot)->setText(board::DotCaption);
        for (Column column :
             {layout::Place, layout::Hour, layout::Dot, layout::Min, layout::Comment})
            setTextColor(text(column), settings.ForeColor1);
        for (Column column : {layout::Hour, layout::Min, layout::Comment})
            text(column)->setText(QString());
        for (auto& column : m_columns)
            column[r + 3]->adjustSize();
    }
}

void MainWindow::placeLabel(QLabel* label, double left, double top, double width, double height) {
    label->setGeometry(m_twips.toPixels(left), m_twips.toPixels(top), m_twips.toPixels(width),
                       m_twips.toPixels(height));
}

void MainWindow::applyBoardLayout(int size) {
    const layout::SizeGeometry& g = layout::geometry(size);
    // The timer runs again afterwards only if it ran before: a fill in
    // progress keeps it stopped until the fill ends.
    const bool timerWasActive = m_timer1->isActive();
    m_timer1->stop();

    if (!isInTray())
        resize(m_twips.toPixels(g.outerWidth), m_twips.toPixels(g.outerHeight));

    placeLabel(m_lblCntl, layout::CntlLeft, layout::TitleTop, layout::TitleButtonWidth,
               layout::TitleHeight);
    placeLabel(m_lblTitle, layout::TitleLeft, layout::TitleTop, g.titleWidth, layout::TitleHeight);
    placeLabel(m_lblMini, g.miniLeft, layout::TitleTop, layout::TitleButtonWidth,
               layout::TitleHeight);
    placeLabel(m_lblExit, g.exitLeft, layout::TitleTop, layout::TitleButtonWidth,
               layout::TitleHeight);

    const Settings& settings = m_state.settings;
    QFont boardFont(settings.FontName);
    boardFont.setPointSizeF(settings.FontSize > 0 ? settings.FontSize : 9);
    boardFont.setBold(settings.FontBold);
    boardFont.setItalic(settings.FontItalic);

    for (int c = 0; c < layout::ColumnCount; ++c) {
        const auto column = static_cast<Column>(c);
        for (int r = 0; r < 3; ++r) {
            QLabel* cell = m_columns[c][r];
            // A colour the options dialog applied shows at once.
            setBackColor(cell, settings.BackColor);
            if (column == layout::Seq)
                cell->setFont(boardFont);
            m_cellRects[c][r] = layout::cellRect(g, column, r);
            const layout::TwipRect& rect = m_cellRects[c][r];
            placeLabel(cell, rect.left, rect.top, rect.width, rect.height);
            cell->show();
        }
        alignCellText(column, 0, 2);
    }

    m_headers[0]->setText(g.label1Caption);
    for (int i = 0; i < 5; ++i) {
        const bool band = i == 4;
        placeLabel(m_headers[i], g.headers[i].left,
                   band ? layout::HeaderBandTop : layout::HeaderTop, g.headers[i].width,
                   band ? layout::HeaderBandHeight : layout::HeaderHeight);
    }

    // Labels still in the old colours have been carried over to the new ones.
    m_drawnForeColor1 = m_state.settings.ForeColor1;
    m_drawnForeColor2 = m_state.settings.ForeColor2;

    if (timerWasActive && !m_fill->running())
        m_timer1->start();
}

void MainWindow::alignCellText(Column column, int first, int last) {
    const Settings& settings = m_state.settings;
    for (int r = first; r <= last; ++r) {
        QLabel* text = m_columns[column][r + 3];
        text->setFont(m_columns[layout::Seq][r]->font());
        text->adjustSize();
        setTextColor(text, layout::carriedColor(textColor(text), m_drawnForeColor1,
                                                m_drawnForeColor2, settings));
        const QSizeF size(m_twips.fromPixels(text->width()), m_twips.fromPixels(text->height()));
        const QPointF pos = layout::alignedTextPos(column, m_cellRects[column][r], size);
        text->move(m_twips.toPixels(pos.x()), m_twips.toPixels(pos.y()));
    }
}

QLabel* MainWindow::cell(const QString& column, int index) const {
    const Column c = layout::columnFromName(column);
    if (c == layout::ColumnCount || index < 0 || index > 5)
        return nullptr;
    return m_columns[c][index];
}

void MainWindow::setBehaviour(BoardBehaviour* behaviour) {
    m_behaviour = behaviour;
}

void MainWindow::setAllDialogsOpenProbe(std::function<bool()> probe) {
    m_allDialogsOpen = std::move(probe);
}

void MainWindow::fillBoard(int firstIndex, QDate from, QDate to, bool force,
                           std::function<void()> done) {
    m_fill->start({firstIndex, from, to, force}, std::move(done));
}

bool MainWindow::fillRunning() const {
    return m_fill->running();
}

void MainWindow::locateNextEntry() {
    const QDateTime now = m_state.clock.now();
    const board::PageIndices found = board::locateNextEntry(
        m_state.schedule.entries(), m_page.nextEntry, now.date(), now.time());
    m_page.nextEntry = found.nextEntryIndex;
    m_page.firstRow = found.firstRowIndex;
}

void MainWindow::refreshBoard(bool force, std::function<void()> done) {
    locateNextEntry();
    const QDate today = m_state.clock.today();
    fillBoard(m_page.nextEntry, today, today, force, std::move(done));
}

void MainWindow::onFillStarted() {
    setCursor(Qt::BusyCursor);
    m_timer1->stop();
    raiseForFill();
}

void MainWindow::onFillFinished() {
    if (!m_unloading)
        m_timer1->start();
    unsetCursor();
}

void MainWindow::raiseForFill() {
    const Settings& settings = m_state.settings;
    if (!settings.ActiveDisplay)
        return;
    if (isInTray()) {
        if (m_behaviour)
            m_behaviour->restoreFromTray();
        return;
    }
    const bool allDialogsOpen = m_allDialogsOpen && m_allDialogsOpen();
    if (allDialogsOpen || settings.TopMost)
        return;
    // Topmost and straight back: in front once, without taking the focus.
    const QRect rect = boardRect();
    placeBoard(static_cast<int>(InsertAfter::TopMost), rect, ShowWindow | NoActivate);
    placeBoard(static_cast<int>(InsertAfter::NoTopMost), rect, ShowWindow | NoActivate);
}

void MainWindow::tick() {
    // The timer is stopped while a fill runs; a tick that still arrives
    // (queued before the stop) must not rebuild the list under it.
    if (m_fill->running())
        return;
    const QDate today = m_state.clock.today();
    // After midnight (or a sleep across it) the list still holds yesterday's
    // view, with no upcoming entry to evaluate: read the file afresh.
    const bool newDay =
        m_state.schedule.isLoaded() && m_lastTickDate.isValid() && today != m_lastTickDate;
    m_lastTickDate = today;

    ScheduleStore& schedule = m_state.schedule;
    if (!schedule.isLoaded() || schedule.isReloadPending() || newDay)
        schedule.load(today);
    if (m_redrawPending) {
        m_redrawPending = false;
        m_page.nextEntry = 0;
        // The alarms are evaluated once the rows are drawn, so notices come
        // after the board shows the freshly loaded entries.
        refreshBoard(true, [this] { evaluateAlarmsAndRefresh(); });
        return;
    }
    if (m_page.nextEntry >= 0)
        evaluateAlarmsAndRefresh();
}

void MainWindow::evaluateAlarmsAndRefresh() {
    const QDateTime now = m_state.clock.now();
    const NoticeSink sink = m_notices ? m_notices : NoticeSink([](auto&&...) {});
    if (evaluateAlarms(m_state.schedule.entries(), m_state.settings, now.date(), now.time(), sink))
        refreshBoard(false);
}

void MainWindow::unload() {
    m_unloading = true;
    m_timer1->stop();
    m_fill->setAutoRun(false);
    close();
    emit unloaded();
}

void MainWindow::stopTimer() {
    m_timer1->stop();
}

void MainWindow::startTimer() {
    // A fill restarts the timer itself when it ends.
    if (!m_fill->running() && !m_unloading)
        m_timer1->start();
}

QRect MainWindow::boardRect() const {
    return geometry();
}

void MainWindow::moveBoardTo(int left, int top) {
    move(left, top);
}

void MainWindow::placeBoard(int insertAfter, const QRect& pixels, int flags) {
    auto where = static_cast<InsertAfter>(insertAfter);
    // "Topmost and straight back" is how the board is brought to the front.
    // On a hidden board the toolkit cannot carry a stay-on-top change to the
    // window manager: it rebuilds the native window at the next show and
    // keeps the stale state, leaving the board above everything. A hidden
    // board therefore takes the state it is meant to end in, and being shown
    // puts it in front anyway.
    if (!isVisible() && (where == InsertAfter::TopMost || where == InsertAfter::NoTopMost))
        where = m_state.settings.TopMost ? InsertAfter::TopMost : InsertAfter::NoTopMost;
    setWindowPos(this, where, pixels, flags);
}

void MainWindow::applyWindowOptions() {
    if (m_behaviour)
        m_behaviour->applyWindowOptions();
}

bool MainWindow::isInTray() const {
    return m_behaviour && m_behaviour->isInTray();
}

QFont MainWindow::boardFont() const {
    return m_columns[layout::Seq][0]->font();
}

QIcon MainWindow::boardIcon() const {
    return m_icon;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseMove)
        return QWidget::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    auto* label = qobject_cast<QLabel*>(watched);
    const bool releasedInside = type == QEvent::MouseButtonRelease &&
                                mouse->button() == Qt::LeftButton && label &&
                                label->rect().contains(mouse->position().toPoint());

    if (watched == m_lblExit) {
        if (releasedInside)
            emit exitRequested();
        return false;
    }
    if (!m_behaviour)
        return false;
    if (watched == m_lblTitle) {
        if (type == QEvent::MouseButtonPress)
            m_behaviour->titleMouseDown(mouse->button());
        else if (type == QEvent::MouseButtonRelease)
            m_behaviour->titleMouseUp(mouse->button());
        else
            m_behaviour->formMouseMove(mouse->globalPosition().toPoint());
        return true;
    }
    if (watched == m_lblCntl && releasedInside) {
        m_behaviour->controlClicked();
        return true;
    }
    if (watched == m_lblMini && releasedInside) {
        m_behaviour->miniClicked();
        return true;
    }
    if (type == QEvent::MouseMove) {
        for (int i = 0; i < 6; ++i) {
            if (watched == m_columns[layout::Comment][i]) {
                m_behaviour->commentMouseMove(i);
                break;
            }
        }
    }
    return false;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (m_behaviour && m_behaviour->keyDown(event->key(), event->modifiers()))
        return;
    QWidget::keyPressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_behaviour)
        m_behaviour->formMouseMove(event->globalPosition().toPoint());
    QWidget::mouseMoveEvent(event);
}

void MainWindow::showEvent(QShowEvent* event) {
    // The board has no task-bar button of its own; the proxy window gives
    // it one when the user wants it.
    keepOutOfTaskBar(this);
    QWidget::showEvent(event);
    // The toolkit may replace the native window while it shows it (after a
    // stay-on-top change); the replacement starts without the hint, so it
    // is given again once the show is through.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            keepOutOfTaskBar(this);
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_unloading) {
        event->accept();
        return;
    }
    // A close from the window manager (Alt+F4) is the exit command, which
    // saves first and may refuse.
    event->ignore();
    emit exitRequested();
}

} // namespace tanzo
