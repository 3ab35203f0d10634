#pragma once

#include "platform/Prompts.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tanzo::test {

struct ShownBox {
    msgbox::Icon icon = msgbox::Icon::None;
    QString caption;
    QString text;
};

// Keeps the boxes a window would have shown, and counts its beeps, instead
// of showing or sounding anything.
class RecordingPrompts : public Prompts {
public:
    void show(QWidget*, msgbox::Icon icon, const QString& caption, const QString& text) override {
        boxes.push_back({icon, caption, text});
    }
    QMessageBox* open(QWidget*, msgbox::Icon icon, const QString& caption,
                      const QString& text) override {
        boxes.push_back({icon, caption, text});
        return nullptr;
    }
    void beep() override { ++beeps; }

    QStringList texts() const {
        QStringList out;
        for (const ShownBox& box : boxes)
            out << box.text;
        return out;
    }

    std::vector<ShownBox> boxes;
    int beeps = 0;
};

} // namespace tanzo::test
