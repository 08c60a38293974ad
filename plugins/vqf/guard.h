// Calls into an outside library with a fault guard: an access violation or any other
// hardware fault raised inside the call ends the call instead of the host program.
#pragma once
#include <cstdint>

namespace twindeck {

// Runs fn(arg) on the calling thread. True when fn returned; false when a hardware fault
// inside it (or inside anything it called) was caught. After a fault the frames below fn
// are abandoned, so fn itself must own nothing that needs a destructor.
bool GuardedCall(void (*fn)(void* arg), void* arg);

}  // namespace twindeck
