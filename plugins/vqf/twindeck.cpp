// twindeck: the VQF playback plug-in. The host drives it through PlusMessage; the decoding
// is done by the outside library vqf.dll (with its data file twinvq2.cdb) in the host
// program's folder. Every operation of vqf.dll is looked up by name when it is used, and
// every call into it runs under the fault guard, so a broken decoder cannot take the host
// down. The position is reported once a second from a timer on the host's thread.
#include <windows.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "engines/plus_api.h"
#include "plugins/vqf/guard.h"

namespace twindeck {
namespace {

// The decoder's blocks, laid out for 32-bit callers; an address takes pointer size.
struct StartBlock {
  uintptr_t reserved0;
  const char* fileName;
  uintptr_t one;
  uintptr_t reserved3;
};
constexpr size_t kInfoSize = 96;
constexpr size_t kInfoNameOffset = 4;
constexpr size_t kInfoSecondsOffset = 36;
constexpr size_t kInfoFramesOffset = 40;

constexpr UINT kTickMs = 1000;

struct TPlayer {
  uint64_t serial = 0;  // tells this player from a later one at the same address
  HMODULE library = nullptr;
  uint32_t totalFrames = 0;
  uint32_t totalSeconds = 0;
  float secondsPerFrame = 0;
  UINT_PTR timer = 0;  // 0 while off
  std::string fileName;
};

sd::PlusCallbackFn g_callback = nullptr;
std::string g_sender;
bool g_paused = false;
TPlayer* g_player = nullptr;
uint64_t g_serial = 0;

// Reports call into the host, which may stop or replace the player before they return.
bool StillCurrent(const TPlayer* p, uint64_t serial) {
  return g_player == p && g_player->serial == serial;
}

void Report(const char* key, int32_t value) {
  if (!g_callback) return;
  // The sender text is handed over as a copy: the host may send a new identifier while it
  // handles the report.
  std::string sender = g_sender;
  g_callback(sender.c_str(), key, nullptr, value);
}

// Folder of the host program, with its trailing backslash. File names are GBK: a trail byte
// may be a backslash, so the scan steps over lead and trail pairs.
std::string ProgramFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  size_t cut = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') cut = i + 1;
  }
  return path.substr(0, cut);
}

bool IsFile(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

FARPROC Operation(const TPlayer& p, const char* name) {
  // Without a library there is nothing to look up (a lookup in handle 0 would search the
  // host program itself).
  return p.library ? GetProcAddress(p.library, name) : nullptr;
}

// --- Calls into vqf.dll, each under the guard. The thunks own nothing with a destructor.

template <class Fn>
Fn As(FARPROC p) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p));
}

#if defined(__i386__)
// The library may pop its argument (stdcall) or leave it (cdecl); the stack pointer is put
// back from the frame pointer after the call (alloca forces that), so both work.
__attribute__((noinline)) uint32_t CallWithArgument(FARPROC fn, uintptr_t arg) {
  void* volatile pad = __builtin_alloca(16);
  (void)pad;
  return As<uint32_t(__cdecl*)(uintptr_t)>(fn)(arg);
}
#else
uint32_t CallWithArgument(FARPROC fn, uintptr_t arg) {
  return As<uint32_t (*)(uintptr_t)>(fn)(arg);
}
#endif

struct Call {
  FARPROC fn;
  uintptr_t arg;
  bool withArgument;
  uint32_t result;
};

void RunCall(void* raw) {
  Call* c = static_cast<Call*>(raw);
  c->result = c->withArgument ? CallWithArgument(c->fn, c->arg)
                              : As<uint32_t(WINAPI*)()>(c->fn)();
}

bool CallDecoder(FARPROC fn, uint32_t* result = nullptr) {
  Call c{fn, 0, false, 0};
  bool ok = GuardedCall(RunCall, &c);
  if (result) *result = ok ? c.result : 0;
  return ok;
}

bool CallDecoder(FARPROC fn, uintptr_t arg) {
  Call c{fn, arg, true, 0};
  return GuardedCall(RunCall, &c);
}

// --- The player.

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

void StopTimer(TPlayer& p) {
  if (p.timer) KillTimer(nullptr, p.timer);
  p.timer = 0;
}

// Stops the decoder; true when it stopped. Reports 0 or 4 when asked to.
bool StopDecoder(TPlayer& p, bool report) {
  FARPROC stop = Operation(p, "DllDecoderStop");
  bool ok = stop && CallDecoder(stop, uintptr_t{0});
  if (report) Report(sd::kKeyStatus, ok ? sd::kStateStopped : sd::kStateError);
  return ok;
}

// Frees the player: timer first, then the decoder. The library is unloaded only when the
// decoder stopped; one that failed to stop may still be running code of its own.
void FreePlayer(TPlayer* p, bool report) {
  if (!p) return;
  if (g_player == p) g_player = nullptr;
  StopTimer(*p);
  bool stopped = StopDecoder(*p, report);
  if (p->library && stopped) FreeLibrary(p->library);
  delete p;
}

TPlayer* CreatePlayer(const std::string& folder) {
  TPlayer* p = new TPlayer;
  p->serial = ++g_serial;
  std::string path = folder + "vqf.dll";
  p->library = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!p->library) Report(sd::kKeyStatus, sd::kStateError);
  return p;
}

// The position in whole seconds, the nearest one and an exact half to the even one,
// whatever rounding mode the decoder left behind.
int32_t PositionSeconds(uint32_t frame, float secondsPerFrame) {
  double t = static_cast<double>(frame) * static_cast<double>(secondsPerFrame);
  int mode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  double r = std::nearbyint(t);
  std::fesetround(mode);
  if (!(r >= 0)) return 0;
  if (r > 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(r);
}

int32_t ClampToInt(uint32_t v) { return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v); }

void Start(TPlayer* p, const char* fileName) {
  FARPROC start = Operation(*p, "DllDecoderStart");
  p->fileName = fileName ? fileName : "";
  g_paused = false;
  if (!start) {
    Report(sd::kKeyStatus, sd::kStateError);
    return;
  }
  // The blocks point at the player's own copy of the name, which lives as long as the
  // song plays; the host's text is gone when PM_PLAY returns.
  StartBlock block{0, p->fileName.c_str(), 1, 0};
  if (!CallDecoder(start, reinterpret_cast<uintptr_t>(&block))) {
    Report(sd::kKeyStatus, sd::kStateError);
    return;
  }
  alignas(8) uint8_t info[kInfoSize] = {};
  const char* name = p->fileName.c_str();
  std::memcpy(info + kInfoNameOffset, &name, sizeof name);
  FARPROC getInfo = Operation(*p, "DllDecoderGetInfo");
  if (getInfo && !CallDecoder(getInfo, reinterpret_cast<uintptr_t>(info))) {
    Report(sd::kKeyStatus, sd::kStateError);
    return;
  }
  std::memcpy(&p->totalSeconds, info + kInfoSecondsOffset, 4);
  std::memcpy(&p->totalFrames, info + kInfoFramesOffset, 4);

  const uint64_t serial = p->serial;
  Report(sd::kKeyStatus, sd::kStatePlaying);
  if (!StillCurrent(p, serial)) return;  // stopped while the host handled the report
  Report(sd::kKeyTotalTime, ClampToInt(p->totalSeconds));
  if (!StillCurrent(p, serial)) return;
  // Without frames there is no time per frame (a float division would not fault, it
  // would give infinity): the start fails and the timer stays off.
  if (p->totalFrames == 0) {
    Report(sd::kKeyStatus, sd::kStateError);
    return;
  }
  p->secondsPerFrame = static_cast<float>(p->totalSeconds) / static_cast<float>(p->totalFrames);
  p->timer = SetTimer(nullptr, 0, kTickMs, Tick);
  if (!p->timer) Report(sd::kKeyStatus, sd::kStateError);
}

void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
  TPlayer* p = g_player;
  if (!p || p->timer != id) return;
  uint32_t frame = 0;
  if (FARPROC getFrame = Operation(*p, "DllDecoderGetIframe")) CallDecoder(getFrame, &frame);
  const uint64_t serial = p->serial;
  Report(sd::kKeyTime, PositionSeconds(frame, p->secondsPerFrame));
  if (!StillCurrent(p, serial)) return;
  // At the end the decoder is stopped; the timer runs on, so the end is reported again at
  // every tick until the host stops the song.
  if (frame >= p->totalFrames) StopDecoder(*p, true);
}

void PauseOrResume(TPlayer* p) {
  const bool resume = g_paused;
  FARPROC fn = Operation(*p, resume ? "DllDecoderRestart" : "DllDecoderPause");
  if (!fn || !CallDecoder(fn)) return;
  g_paused = !resume;
  Report(sd::kKeyStatus, resume ? sd::kStatePlaying : sd::kStatePaused);
}

}  // namespace
}  // namespace twindeck

using namespace twindeck;

extern "C" int32_t __stdcall PlusMessage(uint32_t msg, sd::PlusValue value) {
  switch (msg) {
    case sd::PM_IDENTIFY: {
      const char* text = reinterpret_cast<const char*>(value);
      g_sender = text ? text : "";
      return sd::kPlusHandled;
    }
    case sd::PM_PLAY: {
      // A second song without a stop in between replaces the first: its timer and decoder
      // must not run on unowned.
      FreePlayer(g_player, false);
      std::string folder = ProgramFolder();
      if (folder.empty() || !IsFile(folder + "vqf.dll") || !IsFile(folder + "twinvq2.cdb")) {
        Report(sd::kKeyStatus, sd::kStateError);
        return sd::kPlusHandled;
      }
      TPlayer* p = CreatePlayer(folder);
      g_player = p;
      Start(p, reinterpret_cast<const char*>(value));
      return sd::kPlusHandled;
    }
    case sd::PM_PAUSE:
      if (g_player) PauseOrResume(g_player);
      return sd::kPlusHandled;
    case sd::PM_STOP:
      FreePlayer(g_player, true);
      return sd::kPlusHandled;
    case sd::PM_RELEASE:
      // The host unloads the library after this, with or without a stop before it: the
      // timer must not tick into unloaded code, and the decoder is stopped quietly (the
      // host is done with this engine and expects no more reports).
      FreePlayer(g_player, false);
      return sd::kPlusHandled;
    case sd::PM_CALLBACK:
      g_callback = reinterpret_cast<sd::PlusCallbackFn>(value);
      return sd::kPlusHandled;
    case sd::PM_REFRESH:
    case sd::PM_STATUSREC:
    case sd::PM_SEEK:
    case sd::PM_EQUALIZER:
    case sd::PM_START:
    case sd::PM_CLOSE:
    case sd::PM_PRIORITY:
    case sd::PM_ABOUT:
    case sd::PM_CONFIG:
      return sd::kPlusHandled;
    default:
      return sd::kPlusNotHandled;
  }
}

// Unloaded without PM_RELEASE: at least the timer must not fire into unloaded code. The
// decoder is not called from here (the loader lock is held).
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH && !reserved && g_player) StopTimer(*g_player);
  return TRUE;
}
