#include "board/Paging.h"

#include "BoardTestEntries.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <optional>

namespace tanzo {
namespace {

const QDate kToday(2027, 3, 15);

DayList appointments(int count) {
    return test::dailyAppointments(kToday, count);
}

class PagingTest : public ::testing::Test {
protected:
    DayList list;
    BoardPage page;
    bool filling = false;
    Settings settings;

    void setUp(int count, int first, int next) {
        list = count == 0 ? placeholderDayList() : appointments(count);
        page.firstRow = first;
        page.nextEntry = next;
    }
    PageView view() const { return {list, page, filling}; }
};

struct MoveCase {
    const char* name;
    int count; // 0: the empty list (one placeholder)
    int first;
    int next;
    ViewCommand command;
    std::optional<int> expected;
};

TEST_F(PagingTest, MovesFollowTheTable) {
    const MoveCase cases[] = {
        {"back at 0 refused", 8, 0, 0, ViewCommand::Back, std::nullopt},
        {"back page at 0 refused", 8, 0, 0, ViewCommand::BackPage, std::nullopt},
        {"back one", 8, 3, 0, ViewCommand::Back, 2},
        {"back page from 2 stops at 0", 8, 2, 0, ViewCommand::BackPage, 0},
        {"back page from 5", 8, 5, 0, ViewCommand::BackPage, 2},
        {"next one", 8, 3, 0, ViewCommand::Next, 4},
        {"next at last refused", 8, 7, -1, ViewCommand::Next, std::nullopt},
        {"next on empty list refused", 0, 0, -1, ViewCommand::Next, std::nullopt},
        {"next page on empty list refused", 0, 0, -1, ViewCommand::NextPage, std::nullopt},
        {"next page from 4 of 7 is a whole page", 8, 4, 0, ViewCommand::NextPage, 7},
        {"next page from 5 of 7, day over: one step", 8, 5, -1, ViewCommand::NextPage, 6},
        {"next page from 5 of 7, upcoming today: refused", 8, 5, 1, ViewCommand::NextPage,
         std::nullopt},
        {"next page from 7 of 7 refused", 8, 7, -1, ViewCommand::NextPage, std::nullopt},
        // Today is over and the board sits just before a later day's first
        // entry: one step brings that entry to the first row.
        {"next after the end of the day", 3, 1, -1, ViewCommand::Next, 2},
    };
    for (const MoveCase& c : cases) {
        setUp(c.count, c.first, c.next);
        EXPECT_EQ(pageTarget(c.command, view()), c.expected) << c.name;
    }
}

TEST_F(PagingTest, MenuEnablingFollowsThePage) {
    struct Case {
        const char* name;
        int count, first, next;
        bool back, refresh, next1, nextPage;
    };
    const Case cases[] = {
        {"start, on the next entry", 8, 0, 0, false, false, true, true},
        {"middle", 8, 3, 0, true, true, true, true},
        {"last, day over", 8, 7, -1, true, true, false, true},
        {"last, upcoming today", 8, 7, 2, true, true, false, false},
        {"5 of 7, upcoming", 8, 5, 2, true, true, true, false},
        {"empty list", 0, 0, -1, false, true, false, false},
    };
    for (const Case& c : cases) {
        setUp(c.count, c.first, c.next);
        const PopupMenuState m = popupMenuState(view(), settings, QSizeF(28800, 16200));
        EXPECT_EQ(m.backEnabled, c.back) << c.name;
        EXPECT_EQ(m.backPageEnabled, c.back) << c.name;
        EXPECT_EQ(m.refreshEnabled, c.refresh) << c.name;
        EXPECT_EQ(m.nextEnabled, c.next1) << c.name;
        EXPECT_EQ(m.nextPageEnabled, c.nextPage) << c.name;
    }
}

TEST_F(PagingTest, ViewMenuIsOffWhileTheBoardFills) {
    setUp(8, 3, 0);
    filling = true;
    EXPECT_FALSE(popupMenuState(view(), settings, QSizeF(28800, 16200)).viewEnabled);
}

TEST_F(PagingTest, SizeItemsFollowTheSettingAndTheScreen) {
    setUp(8, 0, 0);
    struct Case {
        int16_t size;
        double screenWidth;
        int checked;
        bool big, middle, small;
    };
    const Case cases[] = {
        {Big, 9480, 0, true, true, true},     {Middle, 9479, 1, false, true, true},
        {Small, 7594, 2, false, false, true}, {Small, 6154, 2, false, false, false},
        {7, 28800, -1, true, true, true},
    };
    for (const Case& c : cases) {
        settings.windowSize = c.size;
        const PopupMenuState m = popupMenuState(view(), settings, QSizeF(c.screenWidth, 16200));
        EXPECT_EQ(m.checkedSize, c.checked) << c.size << " " << c.screenWidth;
        EXPECT_EQ(m.bigEnabled, c.big) << c.screenWidth;
        EXPECT_EQ(m.middleEnabled, c.middle) << c.screenWidth;
        EXPECT_EQ(m.smallEnabled, c.small) << c.screenWidth;
    }
}

struct KeyCase {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    bool loading;
    bool filling;
    KeyAction expected;
};

TEST(BoardKeys, KeyTable) {
    const auto none = Qt::NoModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers alt = Qt::AltModifier;
    const KeyCase cases[] = {
        {"F4", Qt::Key_F4, none, false, false, KeyAction::Back},
        {"Shift+F4", Qt::Key_F4, shift, false, false, KeyAction::BackPage},
        {"F5", Qt::Key_F5, none, false, false, KeyAction::Refresh},
        {"Shift+F5 beeps", Qt::Key_F5, shift, false, false, KeyAction::Beep},
        {"F6", Qt::Key_F6, none, false, false, KeyAction::Next},
        {"Shift+F6", Qt::Key_F6, shift, false, false, KeyAction::NextPage},
        {"F1", Qt::Key_F1, none, false, false, KeyAction::Help},
        {"Shift+F1 beeps", Qt::Key_F1, shift, false, false, KeyAction::Beep},
        {"F2", Qt::Key_F2, none, false, false, KeyAction::Schedule},
        {"Shift+F2 nothing", Qt::Key_F2, shift, false, false, KeyAction::Ignore},
        {"Ctrl+F4 nothing", Qt::Key_F4, ctrl, false, false, KeyAction::Ignore},
        {"Ctrl+F2 nothing", Qt::Key_F2, ctrl, false, false, KeyAction::Ignore},
        {"Alt+F4 exits", Qt::Key_F4, alt, false, false, KeyAction::Exit},
        {"Alt+Shift+F4 exits", Qt::Key_F4, alt | shift, false, false, KeyAction::Exit},
        {"Alt+F4 exits during a fill", Qt::Key_F4, alt, false, true, KeyAction::Exit},
        {"Alt+F6 nothing", Qt::Key_F6, alt, false, false, KeyAction::Ignore},
        {"F3 nothing", Qt::Key_F3, none, false, false, KeyAction::Ignore},
        {"letter nothing", Qt::Key_A, none, false, false, KeyAction::Ignore},
        {"F6 during a fill beeps", Qt::Key_F6, none, false, true, KeyAction::Beep},
        {"Shift+F4 during a fill beeps", Qt::Key_F4, shift, false, true, KeyAction::Beep},
        {"F5 during a fill beeps", Qt::Key_F5, none, false, true, KeyAction::Beep},
        {"F1 during a fill nothing", Qt::Key_F1, none, false, true, KeyAction::Ignore},
        {"F2 during a fill opens the editor", Qt::Key_F2, none, false, true, KeyAction::Schedule},
        {"loading ignores F2", Qt::Key_F2, none, true, false, KeyAction::Ignore},
        {"loading ignores Alt+F4", Qt::Key_F4, alt, true, false, KeyAction::Ignore},
        {"loading ignores F6", Qt::Key_F6, none, true, false, KeyAction::Ignore},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(keyAction(c.key, c.modifiers, c.loading, c.filling), c.expected) << c.name;
}

} // namespace
} // namespace tanzo
