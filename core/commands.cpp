#include "core/commands.h"

#include <windows.h>
#include <shellapi.h>

#include "shell/option.h"

namespace sd {

namespace {
ShellOpenFn& ShellOpenHook() {
  static ShellOpenFn fn;
  return fn;
}
EngineSendFn& EngineHook() {
  static EngineSendFn fn;
  return fn;
}
}  // namespace

void SetShellOpen(ShellOpenFn fn) { ShellOpenHook() = std::move(fn); }

void ShellOpen(const std::string& file, const std::string& params, int show) {
  if (ShellOpenHook()) {
    ShellOpenHook()(file, params, show);
    return;
  }
  ShellExecuteA(nullptr, nullptr, file.c_str(), params.empty() ? nullptr : params.c_str(), nullptr, show);
}

void SetCurrentEngineSender(EngineSendFn fn) { EngineHook() = std::move(fn); }

bool SendCurrentEngine(uint32_t msg, intptr_t value) {
  if (!EngineHook()) return false;
  EngineHook()(msg, value);
  return true;
}

void ExecCommand(const std::string& verb, const std::string& arg) {
  Dispatch(VerbTable(), verb, arg,
           [](const std::string& file, const std::string& params) { ShellOpen(file, params, SW_HIDE); });
}

void PostCommand(const std::string& verb, const std::string& arg, const std::string* sender) {
  if (TOption* o = Option()) o->Deferred().Post(verb, arg, sender);
}

}  // namespace sd
