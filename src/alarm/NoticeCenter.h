#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

namespace tanzo {

struct AppState;
class BoardHost;
class SoundPlayer;
class NoticeWindow;

// ShowNotice: opens the notification windows (frmMsg), cascades them from
// the most recent one still open, counts them and starts the sound.
class NoticeCenter : public QObject {
    Q_OBJECT
public:
    NoticeCenter(AppState& state, BoardHost& board, SoundPlayer& sound);
    ~NoticeCenter() override;

    void showNotice(const QString& place, const QString& comment, int kind);

    // The notice windows still open, oldest first.
    QList<NoticeWindow*> openNotices() const;
    // Closes every notice window (program exit).
    void closeAll();

private:
    // frmMsg_cmdOK_Click; the title bar's close box does the same, so that
    // OpenNoticeCount always counts the windows still open.
    void onDismissed(NoticeWindow* window);

    AppState& m_state;
    BoardHost& m_board;
    SoundPlayer& m_sound;
    QList<QPointer<NoticeWindow>> m_windows;
};

} // namespace tanzo
