#pragma once

#include <QObject>

class QFocusEvent;
class QLineEdit;

namespace tanzo {
class Prompts;
}

namespace tanzo::options {

// Installed on the numeric boxes: lets through digits and the editing keys
// only (a refused key beeps), and selects the whole text when the box gets
// the focus. Keys the dialog itself handles (Tab, Enter, Escape) pass.
class NumericBoxFilter : public QObject {
    Q_OBJECT
public:
    // Refused keys beep through `prompts`.
    explicit NumericBoxFilter(Prompts& prompts, QObject* parent = nullptr)
        : QObject(parent), m_prompts(prompts) {}

    // Installs the filter on a box and turns its input method off.
    void attach(QLineEdit* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Prompts& m_prompts;
};

// Selects the whole text of a box that has just got the focus, so that
// typing replaces it.
void selectAllOnFocusIn(QLineEdit* box, const QFocusEvent* event);

// Selects the whole text of a line edit whenever it gets the focus.
class SelectAllOnFocus : public QObject {
    Q_OBJECT
public:
    explicit SelectAllOnFocus(QObject* parent = nullptr) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tanzo::options
