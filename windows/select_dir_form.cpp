#include "windows/select_dir_form.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "core/files.h"
#include "core/settings.h"
#include "core/text.h"
#include "core/window_pos.h"
#include "shell/option.h"
#include "windows/select_dir_form_ids.h"

namespace sd {

namespace {

struct DirState {
  const ui::FolderPickRequest* req;
  ui::FolderPickResult* result;
  HWND tree = nullptr;
};

// Each node's folder (with trailing backslash) is kept in a string owned by this list.
std::vector<std::string>* g_paths = nullptr;

HTREEITEM AddNode(HWND tree, HTREEITEM parent, const std::string& text, const std::string& folder) {
  g_paths->push_back(folder);
  TVINSERTSTRUCTA ins = {};
  ins.hParent = parent;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
  ins.item.pszText = const_cast<char*>(text.c_str());
  ins.item.lParam = static_cast<LPARAM>(g_paths->size() - 1);
  ins.item.cChildren = 1;  // children are listed when the node opens
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
}

std::string NodeFolder(HWND tree, HTREEITEM item) {
  TVITEMA it = {};
  it.mask = TVIF_PARAM;
  it.hItem = item;
  if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return "";
  size_t i = static_cast<size_t>(it.lParam);
  return i < g_paths->size() ? (*g_paths)[i] : "";
}

void FillChildren(HWND tree, HTREEITEM item) {
  if (SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))) return;
  std::string folder = NodeFolder(tree, item);
  if (folder.empty()) {  // the root: the drives
    DWORD drives = GetLogicalDrives();
    for (int d = 0; d < 26; ++d)
      if (drives & (1u << d)) {
        std::string root = std::string(1, static_cast<char>('A' + d)) + ":\\";
        AddNode(tree, item, root.substr(0, 2), root);
      }
    return;
  }
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && fd.cFileName[0] != '.')
      AddNode(tree, item, fd.cFileName, folder + fd.cFileName + "\\");
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

// Opens the tree towards the start folder: the first two levels open; deeper nodes open
// while their folder is part of the start text, and the one equal to it is selected.
void OpenTowards(HWND tree, HTREEITEM root, const std::string& start) {
  if (start.empty()) return;
  std::string target = WithBackslash(LowerAscii(ShortPath(start)));
  FillChildren(tree, root);
  SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
  while (item) {
    std::string f = WithBackslash(LowerAscii(ShortPath(NodeFolder(tree, item))));
    if (f == target) {
      SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
      return;
    }
    if (FindText(target, f) == 0) {
      FillChildren(tree, item);
      SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
      item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
      continue;
    }
    item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
  }
}

INT_PTR CALLBACK DirProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* st = reinterpret_cast<DirState*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      st = reinterpret_cast<DirState*>(lp);
      st->tree = GetDlgItem(dlg, IDC_SELECTDIR_TREE);
      RestoreWindowPos(dlg, "选择文件夹", false);
      SetDlgItemTextA(dlg, IDC_SELECTDIR_LABEL, st->req->prompt.c_str());
      int show = st->req->showFileStyle ? SW_SHOW : SW_HIDE;
      ShowWindow(GetDlgItem(dlg, IDC_SELECTDIR_STYLELABEL), show);
      ShowWindow(GetDlgItem(dlg, IDC_SELECTDIR_STYLE), show);
      for (const std::string& s : st->req->styles)
        SendDlgItemMessageA(dlg, IDC_SELECTDIR_STYLE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
      SendDlgItemMessageA(dlg, IDC_SELECTDIR_STYLE, CB_SETCURSEL, st->req->selectedStyle, 0);
      HTREEITEM root = AddNode(st->tree, TVI_ROOT, "桌面", "");
      OpenTowards(st->tree, root, st->req->startFolder);
      return TRUE;
    }
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lp);
      if (nm->idFrom == IDC_SELECTDIR_TREE && nm->code == TVN_ITEMEXPANDINGA) {
        auto* tv = reinterpret_cast<NMTREEVIEWA*>(lp);
        FillChildren(st->tree, tv->itemNew.hItem);
      }
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        if (LOWORD(wp) == IDOK) {
          HTREEITEM sel = reinterpret_cast<HTREEITEM>(SendMessageA(st->tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
          st->result->folder = sel ? NodeFolder(st->tree, sel) : "";
          st->result->style = static_cast<int>(SendDlgItemMessageA(dlg, IDC_SELECTDIR_STYLE, CB_GETCURSEL, 0, 0));
          char typed[1024] = {};
          GetDlgItemTextA(dlg, IDC_SELECTDIR_STYLE, typed, sizeof typed);
          st->result->typedStyle = typed;
        }
        SaveWindowPos(dlg, "选择文件夹", false);
        EndDialog(dlg, LOWORD(wp));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool RunSelectDirForm(const ui::FolderPickRequest& req, ui::FolderPickResult& result) {
  int scripted = ui::CurrentPrompter().PickFolder(nullptr, req, result);
  if (scripted >= 0) return scripted == 1 && !result.folder.empty();
  std::vector<std::string> paths;
  g_paths = &paths;
  DirState st{&req, &result};
  INT_PTR r;
  {
    CommandsSuspended suspended;
    r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SELECTDIR), GetActiveWindow(), DirProc,
                        reinterpret_cast<LPARAM>(&st));
  }
  g_paths = nullptr;
  return r == IDOK && !result.folder.empty();
}

}  // namespace sd
