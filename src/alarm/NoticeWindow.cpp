#include "NoticeWindow.h"

#include "core/Colors.h"
#include "platform/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

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

} // namespace

NoticeWindow::NoticeWindow(const NoticeText& text, const QIcon& icon, const Twips& twips)
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("frmMsg"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(text.caption);
    setWindowIcon(icon);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(text.background));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    m_lblComment = new QLabel(this);
    m_lblComment->setObjectName(QStringLiteral("lblComment"));
    m_lblComment->setTextFormat(Qt::PlainText); // places and comments are the user's text
    QString message = text.message;
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_lblComment->setText(message);

    m_imgIcon = new QLabel(this);
    m_imgIcon->setObjectName(QStringLiteral("imgIcon"));

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdOK->setAutoDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &QWidget::close);

    layOut(twips);
    if (!icon.isNull())
        m_imgIcon->setPixmap(icon.pixmap(m_imgIcon->size()));
    m_cmdOK->setFocus();
}

void NoticeWindow::layOut(const Twips& twips) {
    m_lblComment->adjustSize();
    const int labelWidth = m_lblComment->width();

    // A long place name makes the message wider than the designed window;
    // widen the window rather than cut the message off at both sides.
    const int designWidth = twips.toPixels(kClientWidth);
    const int margin = twips.toPixels(kCommentLeft);
    const int width = std::max(designWidth, labelWidth + 2 * margin);
    const int height = twips.toPixels(kClientHeight);
    setFixedSize(width, height);

    m_lblComment->move((width - labelWidth) / 2, twips.toPixels(kCommentTop));
    m_imgIcon->setGeometry(twips.toPixels(kIconLeft), twips.toPixels(kIconTop),
                           twips.toPixels(kIconSize), twips.toPixels(kIconSize));
    // The OK button keeps its distance from the right edge.
    const int okRightMargin = designWidth - twips.toPixels(kOkLeft + kOkWidth);
    const int okWidth = twips.toPixels(kOkWidth);
    m_cmdOK->setGeometry(width - okRightMargin - okWidth, twips.toPixels(kOkTop), okWidth,
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
