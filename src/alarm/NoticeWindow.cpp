#include "NoticeWindow.h"

#include "core/Colors.h"
#include "platform/AccessibleRole.h"
#include "platform/Twips.h"
#include "platform/X11WindowState.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace tanzo {
namespace {

// Client area and controls of the window, in twips.
constexpr double kClientWidth = 3450;
constexpr double kClientHeight = 1230;
constexpr double kCommentLeft = 375;
constexpr double kCommentTop = 105;
constexpr double kIconLeft = 135;
constexpr double kIconTop = 660;
constexpr double kIconSize = 510;
constexpr double kOkLeft = 2475;
constexpr double kOkTop = 765;
constexpr double kOkWidth = 855;
constexpr double kOkHeight = 405;

// How long the window manager is given to map a new notice: 50 looks,
// 10 ms apart.
constexpr int kMapPollMs = 10;
constexpr int kMapPolls = 50;

// How long after a notice appears an activation is taken for the window
// manager's own doing.
constexpr int kWindowManagerActivationMs = 1000;

} // namespace

NoticeWindow::NoticeWindow(const NoticeText& text, const QIcon& icon, const Twips& twips)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setAccessibleRole(this, QAccessible::AlertMessage); // before the title makes it known
    setObjectName(QStringLiteral("frmMsg"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(text.caption);
    setWindowIcon(icon);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(text.background));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("lblComment"));
    m_message->setTextFormat(Qt::PlainText); // places and comments are the user's text
    QString message = text.message;
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_message->setText(message);

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("imgIcon"));

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("cmdOK"));
    // OK answers Enter only once the user has turned to the window (see
    // changeEvent): a notice that opens while the user types elsewhere must
    // not be closed unseen by the next key.
    m_okButton->setAutoDefault(false);
    connect(m_okButton, &QPushButton::clicked, this, &QWidget::close);

    // A screen reader announces the window as an alert and reads the
    // message with it.
    setAccessibleDescription(message);
    m_icon->setAccessibleName(QStringLiteral("アイコン"));

    layOut(twips);
    if (!icon.isNull())
        m_icon->setPixmap(icon.pixmap(m_icon->size()));
}

// Some window managers (icewm) give a newly mapped window the focus even
// when it asks not to be activated; one that refuses the focus they leave
// alone. Once the window is on the screen it takes the focus again, so the
// user can turn to it with a click or the keyboard.
void NoticeWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus))
        acceptFocusWhenMapped(kMapPolls);
}

// The toolkit paints a window only once it is exposed, that is mapped.
void NoticeWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!m_appeared) {
        m_appeared = true;
        m_appearedAt.start();
        emit appeared(this);
    }
}

void NoticeWindow::acceptFocusWhenMapped(int pollsLeft) {
    QTimer::singleShot(kMapPollMs, this, [this, pollsLeft] {
        if (pollsLeft > 0 && x11::isActive() && !x11::isMapped(this)) {
            acceptFocusWhenMapped(pollsLeft - 1);
            return;
        }
        const Qt::WindowFlags flags = windowFlags() & ~Qt::WindowDoesNotAcceptFocus;
        // Set on the native window directly: a flag change the usual way
        // would hide the window.
        overrideWindowFlags(flags);
        if (QWindow* handle = windowHandle())
            handle->setFlags(flags);
    });
}

void NoticeWindow::announce() {
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

// The window manager activates a new window of the program the user is in
// (a notice that opens while the board's menu is open): that is not the
// user turning to it, and the key meant for the menu must not close it
// unseen. Only an activation well after the window appeared, or a click
// into it, lets OK answer Enter.
void NoticeWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_appeared &&
        m_appearedAt.elapsed() >= kWindowManagerActivationMs)
        letOkAnswerEnter();
    QWidget::changeEvent(event);
}

void NoticeWindow::mousePressEvent(QMouseEvent* event) {
    if (m_appeared)
        letOkAnswerEnter();
    QWidget::mousePressEvent(event);
}

void NoticeWindow::letOkAnswerEnter() {
    if (m_okButton->isDefault())
        return;
    m_okButton->setAutoDefault(true);
    m_okButton->setDefault(true);
    m_okButton->setFocus();
}

void NoticeWindow::layOut(const Twips& twips) {
    m_message->adjustSize();
    const int labelWidth = m_message->width();

    // A long place name makes the message wider than the designed window;
    // widen the window rather than cut the message off at both sides.
    const int designWidth = twips.toPixels(kClientWidth);
    const int margin = twips.toPixels(kCommentLeft);
    const int width = std::max(designWidth, labelWidth + 2 * margin);
    const int height = twips.toPixels(kClientHeight);
    setFixedSize(width, height);

    m_message->move((width - labelWidth) / 2, twips.toPixels(kCommentTop));
    m_icon->setGeometry(twips.toPixels(kIconLeft), twips.toPixels(kIconTop),
                        twips.toPixels(kIconSize), twips.toPixels(kIconSize));
    // The OK button keeps its distance from the right edge.
    const int okRightMargin = designWidth - twips.toPixels(kOkLeft + kOkWidth);
    const int okWidth = twips.toPixels(kOkWidth);
    m_okButton->setGeometry(width - okRightMargin - okWidth, twips.toPixels(kOkTop), okWidth,
                            twips.toPixels(kOkHeight));
}

void NoticeWindow::closeEvent(QCloseEvent* event) {
    if (!m_dismissed) {
        m_dismissed = true;
        emit dismissed(this);
    }
    event->accept();
}

} // namespace tanzo
