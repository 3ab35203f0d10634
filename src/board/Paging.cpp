#include "Paging.h"

#include "core/Settings.h"

#include <algorithm>

namespace tanzo {
namespace {

bool hasAppointments(const PageView& view) {
    return !holdsNoAppointment(view.list);
}

} // namespace

std::optional<int> pageTarget(ViewCommand command, const PageView& view) {
    const int first = view.page.firstRow;
    const int last = static_cast<int>(view.list.size()) - 1;
    switch (command) {
    case ViewCommand::Back:
        if (first >= 1)
            return first - 1;
        return std::nullopt;
    case ViewCommand::BackPage:
        if (first >= 1)
            return std::max(first - 3, 0);
        return std::nullopt;
    case ViewCommand::Next:
        if (hasAppointments(view) && first < last)
            return first + 1;
        return std::nullopt;
    case ViewCommand::NextPage:
        // A whole page when entries lie beyond the three shown; otherwise
        // one step, but only once today holds nothing more to wait for, so
        // that the upcoming appointment is not pushed off the first row.
        if (first + 2 < last)
            return first + 3;
        if (first < last && view.page.nextEntry == -1)
            return first + 1;
        return std::nullopt;
    case ViewCommand::Refresh:
        return std::nullopt;
    }
    return std::nullopt;
}

PopupMenuState popupMenuState(const PageView& view, const Settings& s, const QSizeF& screenTwips) {
    const int first = view.page.firstRow;
    const int last = static_cast<int>(view.list.size()) - 1;
    const int next = view.page.nextEntry;

    PopupMenuState m;
    m.viewEnabled = !view.filling;
    m.backPageEnabled = first >= 1;
    m.backEnabled = first > 0;
    m.refreshEnabled = first != next;
    m.nextEnabled = hasAppointments(view) && first != last;
    m.nextPageEnabled = first + 2 < last || (view.list.front().dateSerial > 0 && next == -1);
    if (s.windowSize >= Big && s.windowSize <= Small)
        m.checkedSize = s.windowSize;
    const double width = screenTwips.width();
    m.bigEnabled = width >= boardSizeFacts(Big).minScreenWidthTwips;
    m.middleEnabled = width >= boardSizeFacts(Middle).minScreenWidthTwips;
    m.smallEnabled = width >= boardSizeFacts(Small).minScreenWidthTwips;
    m.showTaskChecked = s.showTask;
    m.topMostChecked = s.topMost;
    m.savePosChecked = s.saveLastPosition;
    m.actDispChecked = s.activeDisplay;
    return m;
}

KeyAction keyAction(int qtKey, Qt::KeyboardModifiers modifiers, bool loading, bool boardFilling) {
    if (loading)
        return KeyAction::Ignore;
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);

    if (qtKey == Qt::Key_F4 && alt)
        return KeyAction::Exit;
    if (alt || ctrl)
        return KeyAction::Ignore;
    // The editor may open while the rows still animate.
    if (qtKey == Qt::Key_F2 && !shift)
        return KeyAction::Schedule;

    const bool navigation = qtKey == Qt::Key_F4 || qtKey == Qt::Key_F5 || qtKey == Qt::Key_F6;
    if (boardFilling)
        return navigation ? KeyAction::Beep : KeyAction::Ignore;

    switch (qtKey) {
    case Qt::Key_F4:
        return shift ? KeyAction::BackPage : KeyAction::Back;
    case Qt::Key_F5:
        return shift ? KeyAction::Beep : KeyAction::Refresh;
    case Qt::Key_F6:
        return shift ? KeyAction::NextPage : KeyAction::Next;
    case Qt::Key_F1:
        return shift ? KeyAction::Beep : KeyAction::Help;
    default:
        return KeyAction::Ignore;
    }
}

std::optional<ViewCommand> viewCommandOf(KeyAction action) {
    switch (action) {
    case KeyAction::BackPage:
        return ViewCommand::BackPage;
    case KeyAction::Back:
        return ViewCommand::Back;
    case KeyAction::Refresh:
        return ViewCommand::Refresh;
    case KeyAction::Next:
        return ViewCommand::Next;
    case KeyAction::NextPage:
        return ViewCommand::NextPage;
    default:
        return std::nullopt;
    }
}

} // namespace tanzo
