#include "ui/prompt.h"

#include <commdlg.h>

#include "core/paths.h"
#include "core/text.h"
#include "ui/app.h"

namespace ui {

namespace {
class SystemPrompter : public Prompter {
 public:
  int Message(HWND owner, const PromptRequest& req) override {
    return MessageBoxA(owner, req.text.c_str(), req.caption.c_str(), req.flags);
  }
};
SystemPrompter g_system;
Prompter* g_current = &g_system;
}  // namespace

Prompter& CurrentPrompter() { return *g_current; }
void SetPrompter(Prompter* p) { g_current = p ? p : &g_system; }

int ShowMessage(const std::string& text, UINT flags, HWND owner) {
  // Always the program's title, also while the application title names the song playing.
  PromptRequest req{sd::kAppTitle, text, flags};
  return CurrentPrompter().Message(owner, req);
}

}  // namespace ui

namespace ui {

bool RunFileDialog(const FileDialogRequest& req, std::vector<std::string>& files, HWND owner) {
  int scripted = CurrentPrompter().FileDialog(owner, req, files);
  if (scripted >= 0) return scripted == 1;
  std::string filter = req.filter;
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.push_back('\0');
  std::string buf(64 * 1024, '\0');
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 0;
  ofn.lpstrFile = buf.data();
  ofn.nMaxFile = static_cast<DWORD>(buf.size());
  ofn.lpstrInitialDir = req.folder.empty() ? nullptr : req.folder.c_str();
  ofn.lpstrTitle = req.title.empty() ? nullptr : req.title.c_str();
  ofn.lpstrDefExt = req.defaultExt.empty() ? nullptr : req.defaultExt.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  BOOL ok;
  if (req.save) {
    ofn.Flags |= OFN_OVERWRITEPROMPT;
    ok = GetSaveFileNameA(&ofn);
  } else {
    ofn.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | (req.multiple ? OFN_ALLOWMULTISELECT : 0);
    ok = GetOpenFileNameA(&ofn);
  }
  if (!ok) return false;
  // One file: its full path. Several: the folder, then each name, NUL-separated.
  std::string first(buf.c_str());
  const char* p = buf.c_str() + first.size() + 1;
  if (!*p) {
    files.push_back(first);
    return true;
  }
  std::string folder = sd::WithBackslash(first);
  while (*p) {
    files.push_back(folder + p);
    p += strlen(p) + 1;
  }
  return true;
}

}  // namespace ui
