#include "MessageBox.h"

#include <QMessageBox>

namespace tanzo::msgbox {
namespace {
Hook& hook() {
    static Hook h;
    return h;
}

QMessageBox::Icon qtIconOf(Icon icon) {
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::Critical:
        qtIcon = QMessageBox::Critical;
        break;
    case Icon::Exclamation:
        qtIcon = QMessageBox::Warning;
        break;
    case Icon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case Icon::None:
        break;
    }
    return qtIcon;
}
} // namespace

void setHook(Hook h) {
    hook() = std::move(h);
}

void show(QWidget* parent, Icon icon, const QString& caption, const QString& text) {
    if (hook()) {
        hook()(icon, caption, text);
        return;
    }
    QMessageBox box(qtIconOf(icon), caption, text, QMessageBox::Ok, parent);
    box.exec();
}

QMessageBox* open(QWidget* parent, Icon icon, const QString& caption, const QString& text) {
    if (hook()) {
        hook()(icon, caption, text);
        return nullptr;
    }
    auto* box = new QMessageBox(qtIconOf(icon), caption, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Modal to its parent only when it has one; nothing waits for the answer.
    box->setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
    box->show();
    return box;
}

} // namespace tanzo::msgbox
