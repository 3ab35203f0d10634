#include "BoardFollowsSettings.h"

#include "BoardView.h"
#include "TrayPresence.h"

#include "core/UserSettings.h"

namespace tanzo {
namespace {

bool looksDifferent(const Settings& a, const Settings& b) {
    return a.windowSize != b.windowSize || a.fontName != b.fontName || a.fontBold != b.fontBold ||
           a.fontItalic != b.fontItalic || a.fontSize != b.fontSize || a.backColor != b.backColor ||
           a.foreColor1 != b.foreColor1 || a.foreColor2 != b.foreColor2;
}

} // namespace

void followSettings(const UserSettings& settings, BoardView& board, TrayPresence& presence,
                    QObject* context) {
    QObject::connect(&settings, &UserSettings::changed, context,
                     [&settings, &board, &presence](const Settings& previous) {
                         const Settings& now = settings.values();
                         if (looksDifferent(previous, now))
                             board.applyBoardLayout(now.windowSize);
                         if (previous.showTask != now.showTask || previous.topMost != now.topMost)
                             presence.applyWindowOptions();
                     });
}

} // namespace tanzo
