#include "core/instance.h"

#include <windows.h>

#include "core/instance_msg.h"
#include "shell/main_form.h"

namespace sd {

bool ForwardToRunningInstance(const std::vector<std::string>& args) {
  HWND running = FindWindowA(kMainWindowClass, nullptr);
  if (!running) return false;
  for (const InstanceMessage& m : PlanForwarding(args)) {
    if (!m.hasBlock) {
      // "#Normal" goes with LParam 0. Some systems (Wine) cannot carry a WM_COPYDATA without
      // a block to another process; then it goes with a block of an empty text instead.
      DWORD_PTR result = 0;
      if (SendMessageTimeoutA(running, WM_COPYDATA, m.verb, 0, SMTO_NORMAL, 0x7FFFFFFF, &result)) continue;
    }
    // A fresh copy of the argument for each message, freed before the next one.
    std::string copy = m.arg;
    COPYDATASTRUCT cds = {};
    cds.dwData = 0;
    cds.cbData = static_cast<DWORD>(copy.size() + 1);
    cds.lpData = copy.data();
    SendMessageA(running, WM_COPYDATA, m.verb, reinterpret_cast<LPARAM>(&cds));
  }
  return true;
}

}  // namespace sd
