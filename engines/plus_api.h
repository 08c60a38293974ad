// The engine and plug-in protocol shared by the host, its built-in engines and plug-in
// libraries such as twindeck: message numbers, status keys and the two entry points.
// Kept free of <windows.h> so plug-ins and platform-free code can include it.
#pragma once
#include <cstdint>

#if defined(_WIN32)
#define SD_STDCALL __stdcall
#else
#define SD_STDCALL
#endif

namespace sd {

// The one value of a message: a number or an address. 32 bits in the player's i686 build;
// pointer-sized in a 64-bit build of the same sources, so addresses still fit.
using PlusValue = intptr_t;

// Messages host -> engine.
enum PlusMsg : uint32_t {
  PM_REFRESH = 0,
  PM_IDENTIFY = 1,
  PM_STATUSREC = 2,
  PM_PREPARE = 3,
  PM_PLAY = 4,
  PM_PAUSE = 5,
  PM_STOP = 6,
  PM_SEEK = 8,
  PM_EQUALIZER = 9,
  PM_RELEASE = 10,
  PM_START = 11,
  PM_CLOSE = 12,
  PM_PRIORITY = 13,
  PM_STOPPED = 14,
  PM_VISUAL_SHOW = 25,
  PM_VISUAL_HIDE = 26,
  PM_VISUAL_IDLE = 27,
  PM_CALLBACK = 30,
  PM_ABOUT = 35,
  PM_CONFIG = 36,
};

// Results: engines answer -1 when they handled a message, 0 when they do not know it;
// the host's send wrapper answers these when it could not ask the engine.
constexpr int32_t kPlusHandled = -1;
constexpr int32_t kPlusNotHandled = 0;
constexpr int32_t kPlusNoEntry = 113;
constexpr int32_t kPlusEngineError = 114;

// Play states reported with "%Status"; any other value counts as kStateError.
enum PlayState : int32_t {
  kStateStopped = 0,
  kStatePlaying = 1,
  kStatePaused = 2,
  kStateConnecting = 3,
  kStateError = 4,
};

// Status keys engine -> host (compared trimmed and case-insensitively).
inline constexpr const char* kKeyTime = "%Time";
inline constexpr const char* kKeyStatus = "%Status";
inline constexpr const char* kKeyTotalTime = "%TotalTime";

// The plug-in's one export, looked up by the undecorated name "PlusMessage".
using PlusMessageFn = int32_t(SD_STDCALL*)(uint32_t msg, PlusValue value);
// The host entry handed over with PM_CALLBACK: sender (the text received with
// PM_IDENTIFY), key, extra text (may be null), value.
using PlusCallbackFn = void(SD_STDCALL*)(const char* sender, const char* key, const char* extra,
                                         int32_t value);

}  // namespace sd
