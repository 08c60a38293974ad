#include "core/colorfont.h"

#include <cstdio>

namespace sd {

std::string ColorToText(uint32_t color) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "&H%08X", static_cast<unsigned>(color));
  return buf;
}

std::string FontToText(const FontDesc& f) {
  std::string s = f.face + ",[";
  if (f.bold) s += "Bold,";
  if (f.italic) s += "Italic,";
  if (f.underline) s += "Underline,";
  if (f.strikeout) s += "Strikeout";
  s += "]," + ColorToText(f.color) + "," + std::to_string(f.size) + "," + std::to_string(f.charset);
  return s;
}

}  // namespace sd
