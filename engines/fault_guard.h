// The host's guard around calls into engines: a hardware fault raised inside the call on the
// calling thread (access violation, integer division by zero, illegal instruction, stack
// overflow) ends the call instead of the player. Every other exception passes through.
// Guards nest; a host callback running inside a guarded call suspends the guard, so a
// fault in the host's own code is not mistaken for the engine's.
#pragma once

namespace sd {

// Runs fn(arg); false when a hardware fault inside it was caught. After a fault the frames
// below fn are abandoned: fn must own nothing that needs a destructor.
bool CallGuarded(void (*fn)(void* arg), void* arg);

// While one of these lives on a thread, faults on it are not caught by an outer guard.
class GuardSuspension {
 public:
  GuardSuspension();
  ~GuardSuspension();
  GuardSuspension(const GuardSuspension&) = delete;
  GuardSuspension& operator=(const GuardSuspension&) = delete;

 private:
  void* saved_;
};

}  // namespace sd
