// A plug-in for the engine manager's tests. Every message it receives is counted in a named
// shared block (it survives unloading, and the test reads it). Built three ways:
//   TP_COUNTING: answers -1; on PM_PLAY it reports "%TotalTime" 100 and "%Status" 1 and asks
//                the host for the verb "#TestVerb" with the file name;
//   TP_FAULTING: like counting, but PM_PAUSE writes through a null pointer and PM_SEEK
//                divides by zero;
//   no PlusMessage at all (TP_NOENTRY).
#include <windows.h>

#include <cstdint>

#include "engines/plus_api.h"
#include "tests/engines/plugins/test_plugin_log.h"

namespace {

TestPluginLog* Block() { return OpenTestPluginLog(); }

sd::PlusCallbackFn g_host = nullptr;
char g_sender[64] = "";

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) InterlockedIncrement(&Block()->loads);
  return TRUE;
}

#ifndef TP_NOENTRY
extern "C" int32_t __stdcall PlusMessage(uint32_t msg, sd::PlusValue value) {
  if (msg < 64) InterlockedIncrement(&Block()->counts[msg]);
  switch (msg) {
    case sd::PM_IDENTIFY:
      lstrcpynA(g_sender, reinterpret_cast<const char*>(value), sizeof g_sender);
      break;
    case sd::PM_CALLBACK:
      g_host = reinterpret_cast<sd::PlusCallbackFn>(value);
      break;
    case sd::PM_PLAY:
      if (g_host) {
        g_host(g_sender, "%TotalTime", nullptr, 100);
        g_host(g_sender, "%Status", nullptr, 1);
        g_host(g_sender, "#TestVerb", reinterpret_cast<const char*>(value), 0);
      }
      break;
#ifdef TP_FAULTING
    case sd::PM_PAUSE:
      *static_cast<volatile int*>(nullptr) = 1;
      break;
    case sd::PM_SEEK: {
      volatile int zero = 0, one = 1;  // both unknown to the compiler: a real division
      return one / zero;
    }
#endif
  }
  return -1;
}
#endif
