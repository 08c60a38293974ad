// Verbs that go to the engine manager.
#include "core/commands.h"
#include "core/dialogs.h"
#include "core/paths.h"
#include "core/verbs.h"
#include "engines/plus.h"
#include "ui/prompt.h"

namespace sd::verbs {

void InstallPlus(const std::string& arg) {
  if (!arg.empty()) {
    RunPluginPackage(arg);
    return;
  }
  std::vector<std::string> files;
  if (OpenFilesDialog(files, LastFolder(), kOpenPackage) && !files.empty()) RunPluginPackage(files.front());
}

void StartUp(const std::string& arg) {
  if (TPlus* p = Plus()) p->StartGeneral(arg, true);
}

void CloseUp(const std::string& arg) {
  if (TPlus* p = Plus()) p->StartGeneral(arg, false);
}

}  // namespace sd::verbs
