#include "core/checked_memory.h"

#include <windows.h>

namespace sd {

bool ReadOwnMemory(uintptr_t address, void* out, size_t n) {
  if (address == 0) return false;
  SIZE_T got = 0;
  return ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(address), out, n, &got) && got == n;
}

bool WriteOwnMemory(uintptr_t address, const void* data, size_t n) {
  if (address == 0) return false;
  SIZE_T put = 0;
  return WriteProcessMemory(GetCurrentProcess(), reinterpret_cast<void*>(address), data, n, &put) && put == n;
}

bool ReadOwnText(uintptr_t address, std::string& out, size_t maxLen) {
  out.clear();
  if (address == 0) return false;
  // In pieces that never cross a page: the text may end just before an unreadable page.
  const uintptr_t page = 4096;
  while (out.size() <= maxLen) {
    uintptr_t at = address + out.size();
    size_t n = static_cast<size_t>(page - (at % page));
    if (n > 256) n = 256;
    char buf[256];
    if (!ReadOwnMemory(at, buf, n)) return false;
    for (size_t i = 0; i < n; ++i) {
      if (buf[i] == '\0') return out.size() <= maxLen;
      out.push_back(buf[i]);
    }
  }
  return false;
}

}  // namespace sd
