#pragma once

class QObject;

namespace tanzo {

class BoardHost;
class UserSettings;

// Keeps the board in step with the settings while `context` lives: a new
// size, font or colour lays it out again, a new ShowTask or TopMost reaches
// its task-bar button and z-order.
void followSettings(const UserSettings& settings, BoardHost& board, QObject* context);

} // namespace tanzo
