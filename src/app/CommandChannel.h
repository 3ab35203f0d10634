#pragma once

#include "ScheduleCommands.h"

#include "platform/LocalChannel.h"
#include "services/CommandSocket.h"

#include <optional>

namespace tanzo {

// How long a command line waits for the board to take and answer a command.
// The board answers as soon as the store has written the file, one command
// after another; this bounds a board that hangs or a long queue.
constexpr int kCommandAnswerMs = 30000;
// That, or longer for the subscription commands, which wait for servers.
int answerLimitMs(const Command& command);

// The command line's end: the board's answer, or empty when nothing was
// done: no board listens (*listening false), or the board did not take the
// command (busy, stopped) before `giveUpAtMs` on channelClockMs(); the
// board then never will. A board that took the command but did not answer
// in time gives a failure that says it may have been carried out.
std::optional<CommandOutput> sendToBoard(const Command& command, qint64 giveUpAtMs,
                                         bool* listening = nullptr,
                                         const QString& socketPath = commandSocketPath());

} // namespace tanzo
