// The library as the player runs it: the model over the system's file system, with the
// player's verbs, settings, password dialog and play status record behind its seams.
#pragma once
#include <memory>

namespace sd {

class TPlay;

// Creates the library object (not yet loaded).
std::unique_ptr<TPlay> CreateLibrary();
// Loads "default.ini" (and, once, the older registry list).
void LoadLibrary(TPlay& play);
// Shutdown: waits for a running folder search, aborts adding, writes queued tags, saves.
void CloseLibrary(TPlay& play);

// The one library (null outside the player's lifetime).
TPlay* Library();
void SetLibrary(TPlay* play);

}  // namespace sd
