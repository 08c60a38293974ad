#include "core/dialogs.h"

#include <windows.h>

#include "core/paths.h"
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
  TOption* o = Option();
  if (o) o->SetCommandsEnabled(false);
  std::vector<std::string> files;
  bool ok = ui::RunFileDialog(req, files);
  if (o) o->SetCommandsEnabled(true);
  SetCursor(old);
  if (!ok || files.empty()) return false;
  list.insert(list.end(), files.begin(), files.end());
  LastFolder() = ExtractFilePath(files.front());
  return true;
}

}  // namespace sd
