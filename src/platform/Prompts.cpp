#include "Prompts.h"

#include <QApplication>
#include <QMessageBox>

namespace tanzo {
namespace {

QMessageBox::Icon qtIconOf(msgbox::Icon icon) {
    switch (icon) {
    case msgbox::Icon::Critical:
        return QMessageBox::Critical;
    case msgbox::Icon::Exclamation:
        return QMessageBox::Warning;
    case msgbox::Icon::Information:
        return QMessageBox::Information;
    case msgbox::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

class DesktopPrompts final : public Prompts {
public:
    void show(QWidget* parent, msgbox::Icon icon, const QString& caption,
              const QString& text) override {
        QMessageBox box(qtIconOf(icon), caption, text, QMessageBox::Ok, parent);
        box.exec();
    }

    QMessageBox* open(QWidget* parent, msgbox::Icon icon, const QString& caption,
                      const QString& text) override {
        auto* box = new QMessageBox(qtIconOf(icon), caption, text, QMessageBox::Ok, parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        // Modal to its parent only when it has one; nothing waits for the
        // answer.
        box->setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
        box->show();
        return box;
    }

    void beep() override { QApplication::beep(); }
};

} // namespace

Prompts& desktopPrompts() {
    // Holds no state: one serves every window.
    static DesktopPrompts prompts;
    return prompts;
}

} // namespace tanzo
