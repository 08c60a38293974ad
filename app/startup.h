// Start-up and shutdown of the player, in their fixed order.
#pragma once
#include <string>
#include <vector>

namespace sd {

// The whole run of the program with its command-line arguments; returns the exit code.
int RunPlayer(const std::string& programFile, const std::vector<std::string>& args);

// Set at the start of shutdown: display code does nothing while it is set.
bool ShuttingDown();
// Set when this process found a running player: the rest of start-up and all of shutdown
// do nothing.
bool SecondInstance();
// The first start of this version (from the registry record).
bool FirstRun();
// The whole shutdown at once (the system is ending the session and will not wait for the
// message loop): the main window closes and the shared objects are finalised, saving the
// options, the queued tags and the library.
void ShutdownNow();

}  // namespace sd
