#pragma once

#include "core/BoardHost.h"
#include "platform/SoundPlayer.h"

#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QStringList>

#include <vector>

namespace tanzo::testing {

// A board that only records what the options windows ask of it.
class RecordingBoard : public BoardHost {
public:
    struct Placement {
        Focus focus;
        QRect rect;
    };

    void applyBoardLayout(int size) override { layouts.push_back(size); }
    QRect boardRect() const override { return rect; }
    void moveBoardTo(int left, int top) override {
        rect.moveTo(left, top);
        moves.emplace_back(left, top);
    }
    void placeBoardAt(const QRect& pixels, Focus focus) override {
        placements.push_back({focus, pixels});
        rect = pixels;
    }
    void raiseBoardOnce(Focus) override {}
    void setBoardStaysOnTop(bool) override {}
    bool isInTray() const override { return inTray; }
    void applyWindowOptions() override { ++windowOptionApplies; }
    QFont boardFont() const override { return font; }
    QIcon boardIcon() const override {
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::red);
        return QIcon(pixmap);
    }
    QWidget* boardWidget() override { return nullptr; }

    QRect rect{100, 200, 410, 94};
    bool inTray = false;
    int windowOptionApplies = 0;
    QFont font{QStringLiteral("IPAGothic"), 9};
    std::vector<int> layouts;
    std::vector<QPoint> moves;
    std::vector<Placement> placements;
};

class RecordingSound : public SoundPlayer {
public:
    void play(const QString& path) override { played << path; }
    QStringList played;
};

} // namespace tanzo::testing
