#include "HelpViewer.h"

#include "HelpDocument.h"
#include "core/AppContext.h"
#include "platform/AccessibleRole.h"
#include "platform/AppPaths.h"
#include "platform/Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tanzo {

namespace {

// The viewer window: Back and Home above the page. At most one exists; it
// deletes itself when closed.
QWidget* newViewer() {
    auto* window = new QWidget;
    window->setObjectName(QStringLiteral("HelpViewer"));
    // A window to assistive technology (a plain widget would be a filler).
    setAccessibleRole(window, QAccessible::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(kAppTitle + QStringLiteral(" ﾍﾙﾌﾟ"));
    window->resize(640, 520);

    HelpDocument* page = HelpDocument::create(window);
    page->setObjectName(QStringLiteral("txtHelp"));
    auto* back = new QPushButton(QStringLiteral("戻る(&B)"), window);
    back->setObjectName(QStringLiteral("cmdBack"));
    back->setEnabled(false);
    auto* home = new QPushButton(QStringLiteral("目次(&H)"), window);
    home->setObjectName(QStringLiteral("cmdHome"));
    for (QPushButton* button : {back, home})
        button->setAutoDefault(false);
    QObject::connect(back, &QPushButton::clicked, page, &QTextBrowser::backward);
    QObject::connect(home, &QPushButton::clicked, page, &QTextBrowser::home);
    QObject::connect(page, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(home);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(window);
    layout->addLayout(buttons);
    layout->addWidget(page);
    window->setFocusProxy(page);

    // Closed from the keyboard as any viewer window is.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* shortcut = new QShortcut(keys, window);
        QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
    }
    return window;
}

QPointer<QWidget>& openViewer() {
    static QPointer<QWidget> viewer;
    return viewer;
}

} // namespace

bool showHelpContents(Prompts& prompts, QWidget* parent) {
    return showHelpContentsFrom(prompts, parent, paths::helpDirectory());
}

bool showHelpContentsFrom(Prompts& prompts, QWidget* parent, const QString& helpDirectory) {
    const QString index = QDir(helpDirectory).filePath(QStringLiteral("index.html"));
    if (helpDirectory.isEmpty() || !QFileInfo(index).isFile()) {
        prompts.show(parent, msgbox::Icon::Information, QString(), kHelpMissingMessage);
        return false;
    }
    QPointer<QWidget>& viewer = openViewer();
    if (!viewer) {
        viewer = newViewer();
        // On the screen where the board is, not in a corner of the desktop.
        const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            QRect placed(QPoint(), viewer->size());
            placed.moveCenter(area.center());
            viewer->move(placed.topLeft());
        }
    }
    // Opened again, it starts from the contents with a fresh history.
    HelpDocument* page = viewer->findChild<HelpDocument*>();
    page->setSource(QUrl::fromLocalFile(index));
    page->clearHistory();
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    page->setFocus();
    return true;
}

} // namespace tanzo
