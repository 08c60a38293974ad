#include "core/window_pos.h"

#include "core/settings.h"

namespace sd {

void RestoreWindowPos(HWND w, const std::string& section, bool resizable, const char* maxKey) {
  RECT r;
  if (!GetWindowRect(w, &r)) return;
  IniFile ini = Settings();
  int x = ini.ReadInteger(section, "位置[X]", r.left);
  int y = ini.ReadInteger(section, "位置[Y]", r.top);
  int cx = r.right - r.left, cy = r.bottom - r.top;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (resizable) {
    cx = ini.ReadInteger(section, "宽度", cx);
    cy = ini.ReadInteger(section, "高度", cy);
  } else {
    flags |= SWP_NOSIZE;
  }
  SetWindowPos(w, nullptr, x, y, cx, cy, flags);
  if (resizable && ini.ReadBool(section, maxKey, false)) ShowWindow(w, SW_MAXIMIZE);
}

void SaveWindowPos(HWND w, const std::string& section, bool resizable, const char* maxKey) {
  IniFile ini = Settings();
  if (!resizable) {
    RECT r;
    if (!GetWindowRect(w, &r)) return;
    ini.WriteInteger(section, "位置[X]", r.left);
    ini.WriteInteger(section, "位置[Y]", r.top);
    return;
  }
  WINDOWPLACEMENT wp = {};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(w, &wp)) return;
  const RECT& r = wp.rcNormalPosition;
  ini.WriteInteger(section, "位置[X]", r.left);
  ini.WriteInteger(section, "位置[Y]", r.top);
  ini.WriteInteger(section, "宽度", r.right - r.left);
  ini.WriteInteger(section, "高度", r.bottom - r.top);
  ini.WriteBool(section, maxKey, IsZoomed(w) != FALSE);
}

}  // namespace sd
