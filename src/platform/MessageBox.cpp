#include "MessageBox.h"

#include <QMessageBox>

namespace tanzo::msgbox {
namespace {
Hook& hook() {
    static Hook h;
    return h;
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
    QMessageBox box(qtIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace tanzo::msgbox
