#pragma once

namespace tanzo {

// True when the arguments ask for a command rather than the board: any
// option of ours, a long option, or a bare word. The toolkit's own
// single-dash options (-platform, -display ...) still start the board.
bool wantsCommandLine(int argc, char** argv);

} // namespace tanzo
