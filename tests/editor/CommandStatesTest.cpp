#include "editor/CommandStates.h"

#include <gtest/gtest.h>

namespace tanzo {
namespace {

CommandInputs complete() {
    CommandInputs in;
    in.yearChosen = in.monthChosen = in.dayChosen = in.statusChosen = true;
    in.hourChosen = in.minuteChosen = in.placeGiven = true;
    in.listHasLines = true;
    return in;
}

TEST(CommandStates, OnOpeningOnlyTheYearTakesInputAndOkIsDefault) {
    const CommandStates s = commandStates(CommandInputs{});
    EXPECT_FALSE(s.month);
    EXPECT_FALSE(s.day);
    EXPECT_FALSE(s.entryFrames);
    EXPECT_FALSE(s.scheduleFrame);
    EXPECT_FALSE(s.clear);
    EXPECT_FALSE(s.add);
    EXPECT_FALSE(s.update);
    EXPECT_FALSE(s.ok);
    EXPECT_FALSE(s.apply);
    EXPECT_TRUE(s.okDefault);
    EXPECT_FALSE(s.addDefault);
    EXPECT_TRUE(s.disableLineCommands);
}

TEST(CommandStates, EachChoiceOpensTheNextControl) {
    CommandInputs in;
    in.yearChosen = true;
    EXPECT_TRUE(commandStates(in).month);
    EXPECT_FALSE(commandStates(in).day);
    in.monthChosen = true;
    EXPECT_TRUE(commandStates(in).day);
    EXPECT_FALSE(commandStates(in).entryFrames);
    in.dayChosen = true;
    EXPECT_TRUE(commandStates(in).entryFrames);
}

TEST(CommandStates, AddAndUpdateFollowSelectionAndEditing) {
    struct Case {
        bool line, edited, add, addDefault, update;
    };
    const Case cases[] = {
        {false, false, true, true, false},
        {false, true, true, true, false},
        {true, false, false, false, false},
        {true, true, true, false, true},
    };
    for (const Case& c : cases) {
        CommandInputs in = complete();
        in.lineSelected = c.line;
        in.entryEdited = c.edited;
        const CommandStates s = commandStates(in);
        EXPECT_EQ(s.add, c.add) << c.line << c.edited;
        EXPECT_EQ(s.addDefault, c.addDefault) << c.line << c.edited;
        EXPECT_EQ(s.update, c.update) << c.line << c.edited;
        EXPECT_TRUE(s.clear);
        EXPECT_FALSE(s.okDefault);
        EXPECT_EQ(s.disableLineCommands, !c.line);
    }
}

TEST(CommandStates, AnyMissingPartMakesTheEntryIncomplete) {
    bool CommandInputs::*parts[] = {&CommandInputs::yearChosen, &CommandInputs::monthChosen,
                                    &CommandInputs::dayChosen,  &CommandInputs::statusChosen,
                                    &CommandInputs::hourChosen, &CommandInputs::minuteChosen,
                                    &CommandInputs::placeGiven};
    for (auto part : parts) {
        CommandInputs in = complete();
        in.*part = false;
        const CommandStates s = commandStates(in);
        EXPECT_FALSE(s.add);
        EXPECT_FALSE(s.clear);
        EXPECT_TRUE(s.okDefault);
    }
}

TEST(CommandStates, OkAndApplyOnlyWithUnwrittenChanges) {
    CommandInputs in;
    in.dirty = true;
    EXPECT_TRUE(commandStates(in).ok);
    EXPECT_TRUE(commandStates(in).apply);
    in.listHasLines = true;
    EXPECT_TRUE(commandStates(in).scheduleFrame);
}

} // namespace
} // namespace tanzo
