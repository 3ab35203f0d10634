#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace tanzo {

struct Settings;
class BoardHost;
class SoundPlayer;
class NoticeWindow;

// Opens the notice windows, cascades each from the most recent one still
// open, and starts the sound.
class NoticeCenter : public QObject {
    Q_OBJECT
public:
    NoticeCenter(const Settings& settings, BoardHost& board, SoundPlayer& sound);
    ~NoticeCenter() override;

    void showNotice(const QString& place, const QString& comment, int kind);

    // The notice windows still open, oldest first.
    QList<NoticeWindow*> openNotices() const;
    int openCount() const { return static_cast<int>(openNotices().size()); }
    // How many notices were opened since the start, up to 32767.
    int shownCount() const { return m_shown; }
    // Closes every notice window (program exit).
    void closeAll();

    // How tall the window manager's frame above a window's client area is,
    // 0 while the window is not framed yet. Tests replace the measurement;
    // by default it is read off the window.
    using FrameProbe = std::function<int(const QWidget*)>;
    void setFrameProbe(FrameProbe probe) { m_frameProbe = std::move(probe); }

private:
    // OK; the title bar's close box does the same.
    void onDismissed(NoticeWindow* window);
    int cascadeStep(const QList<NoticeWindow*>& open);

    const Settings& m_settings;
    BoardHost& m_board;
    SoundPlayer& m_sound;
    QList<QPointer<NoticeWindow>> m_windows;
    FrameProbe m_frameProbe;
    // The frame height last measured on a framed notice window.
    int m_knownFrame = 0;
    int m_shown = 0;
};

} // namespace tanzo
