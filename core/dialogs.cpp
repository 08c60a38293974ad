#include "core/dialogs.h"

#include <windows.h>

#include "app/library_host.h"
#include "core/files.h"
#include "core/paths.h"
#include "library/play.h"
#include "windows/select_dir_form.h"
#include "core/text.h"
#include "engines/plus.h"
#include "shell/option.h"
#include "ui/prompt.h"

namespace sd {

bool OpenFilesDialog(std::vector<std::string>& list, const std::string& initialFolder, int kind) {
  ui::FileDialogRequest req;
  req.folder = initialFolder;
  req.multiple = kind == kOpenMedia || kind == kOpenLyrics;
  switch (kind) {
    case kOpenMedia: {
      req.title = "打开媒体文件";
      std::string masks = Plus() ? Plus()->AllMasks() : "";
      if (!masks.empty()) req.filter = "所有媒体文件|" + masks + "*.m3u;|";
      req.filter += "所有文件(*.*)|*.*";
      break;
    }
    case kOpenLyrics:
      req.title = "打开歌词文件";
      req.filter = "*.lrc|*.lrc|*.txt|*.txt|*.*|*.*";
      break;
    case kOpenSkin:
      req.title = "打开外壳";
      req.filter = "外壳文件(*.eks)|*.eks|所有文件(*.*)|*.*";
      break;
    default:
      req.title = "新插件";
      req.filter = "插件安装文件(*.pis)|*.pis";
      break;
  }
  HCURSOR old = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
  std::vector<std::string> files;
  bool ok;
  {
    CommandsSuspended suspended;
    ok = ui::RunFileDialog(req, files);
  }
  SetCursor(old);
  if (!ok || files.empty()) return false;
  list.insert(list.end(), files.begin(), files.end());
  LastFolder() = ExtractFilePath(files.front());
  return true;
}

std::string FolderMaskFor(int selectedStyle, const std::string& typed, size_t styleCount,
                          const std::string& engineMasks) {
  std::string text;
  if (selectedStyle < 0)
    text = typed;
  else if (styleCount == 1 || selectedStyle > 0)
    text = "*.*;";
  else
    text = engineMasks;
  return text.empty() ? "*.*;" : text + ";";
}

void AddFolderDialog(const std::string& startFolder) {
  TPlay* p = Library();
  if (!p) return;
  ui::FolderPickRequest req;
  req.prompt = "选择添加文件夹";
  req.startFolder = startFolder;
  req.showFileStyle = true;
  std::string masks = Plus() ? Plus()->AllMasks() : "";
  if (!masks.empty()) req.styles.push_back("所有类型(" + masks + ")");
  req.styles.push_back("所有文件(*.*)");
  req.selectedStyle = 0;
  ui::FolderPickResult result;
  if (!RunSelectDirForm(req, result)) return;
  std::string mask = FolderMaskFor(result.style, result.typedStyle, req.styles.size(), masks);
  std::string folder = result.folder;
  if (FolderExists(folder))
    LastFolder() = folder;
  else
    folder.clear();
  if (folder.empty()) return;
  p->BeginAdd();
  p->FolderMasks = mask;
  p->AddFile(folder, p->ViewIndex);
  p->EndAdd(p->ViewIndex);
}

}  // namespace sd
