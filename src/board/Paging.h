#pragma once

#include "board/BoardPage.h"

#include <QSizeF>
#include <Qt>

#include <optional>

namespace tanzo {

struct Settings;

// The five view commands of the board.
enum class ViewCommand { BackPage, Back, Refresh, Next, NextPage };

// The first index a moving command shows, or nothing when the move is
// impossible (the caller beeps). Refresh always acts and is not answered
// here: its target comes from the next-entry search.
std::optional<int> pageTarget(ViewCommand command, const PageView& view);

// Enabled and checked states of the board menu at the moment it opens.
struct PopupMenuState {
    bool viewEnabled = false;
    bool backPageEnabled = false;
    bool backEnabled = false;
    bool refreshEnabled = false;
    bool nextEnabled = false;
    bool nextPageEnabled = false;
    int checkedSize = -1; // 0 Big, 1 Middle, 2 Small, -1 none
    bool bigEnabled = false;
    bool middleEnabled = false;
    bool smallEnabled = false;
    bool showTaskChecked = false;
    bool topMostChecked = false;
    bool savePosChecked = false;
    bool actDispChecked = false;

    bool operator==(const PopupMenuState&) const = default;
};

PopupMenuState popupMenuState(const PageView& view, const Settings& settings,
                              const QSizeF& screenTwips);

// What a key pressed on the board does.
enum class KeyAction {
    Ignore,
    Beep,
    Exit,
    Schedule,
    Help,
    BackPage,
    Back,
    Refresh,
    Next,
    NextPage,
};

KeyAction keyAction(int qtKey, Qt::KeyboardModifiers modifiers, bool loading, bool boardFilling);

// The view command a key action stands for, when it is one.
std::optional<ViewCommand> viewCommandOf(KeyAction action);

} // namespace tanzo
