// Single instance: a second start hands its command line to the running player and ends.
#pragma once
#include <string>
#include <vector>

namespace sd {

// True when another player runs; its window has then received the arguments.
bool ForwardToRunningInstance(const std::vector<std::string>& args);

}  // namespace sd
