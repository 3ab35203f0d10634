#pragma once

#include "Settings.h"

#include <QObject>

namespace tanzo {

// The settings the running program works with. The shell owns them; every
// window reads them, and whatever changes them (the options dialog, the
// board's menu, start-up and exit) goes through replace() or update(), so
// that those who show them can follow.
class UserSettings : public QObject {
    Q_OBJECT
public:
    explicit UserSettings(QObject* parent = nullptr) : QObject(parent) {}

    // Stays the same object for the program's run: readers may keep it.
    const Settings& values() const { return m_values; }

    // Takes the new values; `changed` follows when anything differs.
    void replace(const Settings& values);

    // Changes some values: `edit` gets a copy to change.
    template <typename Edit> void update(Edit&& edit) {
        Settings next = m_values;
        edit(next);
        replace(next);
    }

signals:
    // The values changed; `previous` are the ones they replaced.
    void changed(const tanzo::Settings& previous);

private:
    Settings m_values;
};

} // namespace tanzo
