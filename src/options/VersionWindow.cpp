#include "VersionWindow.h"

#include "ScreenCentre.h"
#include "VersionText.h"
#include "board/BoardView.h"
#include "core/AppContext.h"
#include "platform/Prompts.h"
#include "platform/SoundPlayer.h"
#include "platform/Twips.h"
#include "platform/WindowSystem.h"

#include <QLabel>
#include <QPushButton>

namespace tanzo {

VersionWindow::VersionWindow(const AppContext& state, BoardView& board, SoundPlayer& sound,
                             QWidget* parent)
    : QDialog(parent), m_state(state), m_sound(sound) {
    setObjectName(QStringLiteral("frmVersion"));
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    const Twips twips = Twips::fromPrimaryScreen();
    setFixedSize(twips.toPixels(3690), twips.toPixels(1455));

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("imgIcon"));
    image->setGeometry(twips.toPixels(90), twips.toPixels(150), twips.toPixels(480),
                       twips.toPixels(480));
    image->setPixmap(board.boardIcon().pixmap(32, 32));
    // A picture has no text of its own to be read by.
    image->setAccessibleName(kAppTitle + QStringLiteral("のアイコン"));

    auto* comment = new QLabel(options::buildVersionText(), this);
    comment->setObjectName(QStringLiteral("lblComment"));
    comment->move(twips.toPixels(645), twips.toPixels(150));
    comment->adjustSize();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    ok->setGeometry(twips.toPixels(2655), twips.toPixels(975), twips.toPixels(915),
                    twips.toPixels(375));
    // QDialog sends Escape to reject(), which closes like OK.
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
}

void VersionWindow::showCentred() {
    windowSystem().placeAt(this, options::centredOnPrimaryScreen(size()), Focus::Take);
    const Settings& s = m_state.settings.values();
    if (!s.soundFileName.isEmpty())
        m_sound.play(s.soundDirectory + s.soundFileName);
    else
        m_state.prompts.beep();
}

VersionWindow* showVersionWindow(QPointer<VersionWindow>& slot, const AppContext& state,
                                 BoardView& board, SoundPlayer& sound) {
    if (slot)
        return nullptr;
    auto* window = new VersionWindow(state, board, sound);
    slot = window;
    window->showCentred();
    return window;
}

} // namespace tanzo
