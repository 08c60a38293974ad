// Verbs that go to the engine manager.
#include "core/commands.h"
#include "core/verbs.h"
#include "engines/plus.h"
#include "ui/prompt.h"

namespace sd::verbs {

void InstallPlus(const std::string& arg) {
  // Without an argument the open dialog of the plug-in package kind picks the file; the
  // dialogs come with the library's open dialogs.
  if (!arg.empty()) RunPluginPackage(arg);
}

void StartUp(const std::string& arg) {
  if (TPlus* p = Plus()) p->StartGeneral(arg, true);
}

void CloseUp(const std::string& arg) {
  if (TPlus* p = Plus()) p->StartGeneral(arg, false);
}

}  // namespace sd::verbs
