#include "HelpViewer.h"

#include "core/AppContext.h"
#include "platform/AppPaths.h"
#include "platform/MessageBox.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

namespace tanzo {

namespace {
// At most one viewer exists; it deletes itself when closed.
QPointer<QTextBrowser>& openViewer() {
    static QPointer<QTextBrowser> viewer;
    return viewer;
}
} // namespace

bool showHelpContents(QWidget* parent) {
    return showHelpContentsFrom(parent, paths::helpDirectory());
}

bool showHelpContentsFrom(QWidget* parent, const QString& helpDirectory) {
    const QString index = QDir(helpDirectory).filePath(QStringLiteral("index.html"));
    if (helpDirectory.isEmpty() || !QFileInfo(index).isFile()) {
        msgbox::show(parent, msgbox::Icon::Information, QString(), kHelpMissingMessage);
        return false;
    }
    QPointer<QTextBrowser>& viewer = openViewer();
    if (!viewer) {
        viewer = new QTextBrowser;
        viewer->setObjectName(QStringLiteral("HelpViewer"));
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setWindowTitle(kAppTitle + QStringLiteral(" ﾍﾙﾌﾟ"));
        viewer->setOpenExternalLinks(true);
        viewer->resize(640, 520);
        // Closed from the keyboard as any viewer window is.
        for (const QKeySequence& keys :
             {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            auto* shortcut = new QShortcut(keys, viewer);
            QObject::connect(shortcut, &QShortcut::activated, viewer, &QWidget::close);
        }
        // On the screen where the board is, not in a corner of the desktop.
        const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            QRect placed(QPoint(), viewer->size());
            placed.moveCenter(area.center());
            viewer->move(placed.topLeft());
        }
    }
    viewer->setSource(QUrl::fromLocalFile(index));
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return true;
}

} // namespace tanzo
