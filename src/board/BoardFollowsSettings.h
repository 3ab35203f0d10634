#pragma once

class QObject;

namespace tanzo {

class BoardView;
class TrayPresence;
class UserSettings;

// Keeps the board in step with the settings while `context` lives: a new
// size, font or colour lays it out again, a new ShowTask or TopMost reaches
// its task-bar button and z-order through the tray presence.
void followSettings(const UserSettings& settings, BoardView& board, TrayPresence& presence,
                    QObject* context);

} // namespace tanzo
