// Verbs of the library and the transport.
#include "app/library_host.h"
#include "core/commands.h"
#include "core/dialogs.h"
#include "core/paths.h"
#include "core/text.h"
#include "core/verbs.h"
#include "library/play.h"
#include "shell/option.h"
#include "ui/prompt.h"

namespace sd::verbs {

void AddFile(const std::string& arg) {
  TPlay* p = Library();
  if (!p || !p->ValidCategory(p->PlayIndex)) return;
  const TPlayList& c = p->CategoryAt(p->PlayIndex);
  if (c.Locked || c.ReadOnly) return;
  p->BeginAdd();
  p->AddFile(arg, p->PlayIndex);
  p->EndAdd(p->PlayIndex);
}

void OpenFile(const std::string&) {
  TPlay* p = Library();
  if (!p) return;
  std::vector<std::string> files;
  if (!OpenFilesDialog(files, LastFolder(), kOpenMedia)) return;
  int target = p->ViewIndex == 1 ? 0 : p->ViewIndex;
  p->BeginAdd();
  for (const std::string& f : files)
    if (!p->AddFile(f, target)) break;
  p->EndAdd(target);
  TOption* o = Option();
  if (o && !o->PlayMode() && !p->FirstAdded.empty()) ExecCommand("#Play", p->FirstAdded);
}

namespace {
class SaveListUI : public IM3UExportUI {
 public:
  bool ChooseFile(std::string& path) override {
    ui::FileDialogRequest req;
    req.save = true;
    req.filter = "播放列表(*.M3U)|*.m3u";
    req.defaultExt = "m3u";
    req.folder = LastFolder();
    std::vector<std::string> files;
    if (!ui::RunFileDialog(req, files) || files.empty()) return false;
    path = files.front();
    LastFolder() = ExtractFilePath(path);
    return true;
  }
  void SaveFailed() override { ui::ShowMessage("无法保存文件！", MB_ICONWARNING); }
};
}  // namespace

void SaveList(const std::string& arg) {
  TPlay* p = Library();
  if (!p) return;
  int category = TextToInt(arg, p->PlayIndex);
  if (!p->ValidCategory(category)) return;
  SaveListUI ui;
  CommandsSuspended suspended;
  p->ExportM3U(category, ui);
}

void OpenDir(const std::string& arg) { AddFolderDialog(arg.empty() ? LastFolder() : arg); }

void Play(const std::string& arg) {
  if (TOption* o = Option()) o->Play(arg);
}
void Stop(const std::string&) {
  if (TOption* o = Option()) o->Stop();
}
void Next(const std::string&) {
  if (TOption* o = Option()) o->Next();
}
void Prev(const std::string&) {
  if (TOption* o = Option()) o->Prev();
}

}  // namespace sd::verbs
