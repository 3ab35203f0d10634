#pragma once

#include "AlarmEvaluator.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace tanzo {

struct Settings;
class SoundPlayer;
class NoticeWindow;

// Opens the notice windows, cascades each from the most recent one still
// open, and starts the sound. The windows carry `icon` (the board's).
class NoticeCenter : public QObject {
    Q_OBJECT
public:
    NoticeCenter(const Settings& settings, QIcon icon, SoundPlayer& sound);
    ~NoticeCenter() override;

    // Opens a notice window; `shown` runs once it is on the screen (at once
    // when the kind opens no window).
    // An advance notice says `leadMinutes` before the start (by default the
    // board's own advance time).
    void showNotice(const QString& place, const QString& comment, int kind, NoticeShown shown = {},
                    std::optional<int> leadMinutes = {});
    // Brings the open notices in front of the board again, oldest first,
    // without taking the keyboard: the board came forward on its own.
    void raiseOpenNotices();

    // The notice windows still open, oldest first.
    QList<NoticeWindow*> openNotices() const;
    int openCount() const { return static_cast<int>(openNotices().size()); }
    // How many notices were opened since the start, up to 32767.
    int shownCount() const { return m_shown; }
    // Closes every notice window (program exit).
    void closeAll();

    // How much wider and taller the window manager's frame makes a window
    // than its client area; empty while the window is not framed yet. Tests
    // replace the measurement; by default it is read off the window.
    using FrameProbe = std::function<QSize(const QWidget*)>;
    void setFrameProbe(FrameProbe probe) { m_frameProbe = std::move(probe); }

signals:
    // A notice was dismissed while ActiveDisplay is on and the board is not
    // on top: the board comes forward, taking the keyboard. The notices
    // still open come forward again right after.
    void boardWanted();

private:
    // OK; the title bar's close box does the same.
    void forgetDismissedNotice(NoticeWindow* window);
    QSize cascadeFrame(const QList<NoticeWindow*>& open);
    QPoint cascadeCorner(const NoticeWindow* previous, const QWidget* window, QSize frame) const;
    bool frameKnown() const { return m_knownFrame.height() > 0; }
    static bool hasGuessedFrame(const QList<NoticeWindow*>& open);
    void placeGuessedAgain(const QList<NoticeWindow*>& open);
    static void forgetGuesses(const QList<NoticeWindow*>& open);
    void schedulePlaceAnew();
    void placeAnew(int pollsLeft);

    const Settings& m_settings;
    QIcon m_icon;
    SoundPlayer& m_sound;
    QList<QPointer<NoticeWindow>> m_windows;
    FrameProbe m_frameProbe;
    // The frame last measured on a framed notice window.
    QSize m_knownFrame;
    // Whether a call of placeAnew() is waiting.
    bool m_placeAnewPending = false;
    int m_shown = 0;
};

} // namespace tanzo
