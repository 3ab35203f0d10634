#pragma once

#include "board/MainWindow.h"

#include <QDate>
#include <QLabel>

#include <functional>

namespace tanzo {

class BoardHost;

// What the board's commands and its paging need of the board window besides
// BoardHost: the asynchronous fill and the labels.
class BoardWindowApi {
public:
    virtual ~BoardWindowApi() = default;
    virtual BoardHost& host() = 0;
    // Redraws the rows from `firstIndex` on; `done` runs once they are drawn.
    virtual void fillBoard(int firstIndex, QDate from, QDate to, bool force,
                           std::function<void()> done) = 0;
    // The rows are being redrawn.
    virtual bool fillRunning() const = 0;
    // The board is closing for good: the page follows neither the list nor
    // the clock any more.
    virtual bool closing() const = 0;
    // The label named e.g. "lblStatus_3" or "lblCntl"; null if none.
    virtual QLabel* label(const QString& objectName) const = 0;
};

// The real board window behind that interface.
// Kept inline so that only the program that builds one links the window.
class MainWindowApi : public BoardWindowApi {
public:
    explicit MainWindowApi(MainWindow& window) : m_window(window) {}
    BoardHost& host() override { return m_window; }
    void fillBoard(int firstIndex, QDate from, QDate to, bool force,
                   std::function<void()> done) override {
        m_window.fillBoard(firstIndex, from, to, force, std::move(done));
    }
    bool fillRunning() const override { return m_window.fillRunning(); }
    bool closing() const override { return m_window.isUnloading(); }
    QLabel* label(const QString& objectName) const override {
        return m_window.findChild<QLabel*>(objectName);
    }

private:
    MainWindow& m_window;
};

} // namespace tanzo
