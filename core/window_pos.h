// Every window keeps its position (and the size of resizable ones) in a section of the
// settings file named after it: "位置[X]", "位置[Y]", "宽度", "高度" and "最大化".
#pragma once
#include <windows.h>

#include <string>

namespace sd {

// Moves the window to the stored position; each key's default is the window's current value.
void RestoreWindowPos(HWND w, const std::string& section, bool resizable, const char* maxKey = "最大化");
// Writes left and top; a resizable window writes its restored placement and the maximised flag.
void SaveWindowPos(HWND w, const std::string& section, bool resizable, const char* maxKey = "最大化");

}  // namespace sd
