#include "core/reg.h"

#include "core/text.h"

namespace sd {

TReg::TReg() : root(kRegRoot) {}

// The key path for the system calls: without the leading and trailing backslashes.
std::string TReg::FullPath(const std::string& sub) const {
  std::string p = root;
  if (!sub.empty()) p = WithBackslash(p) + sub;
  while (!p.empty() && p[0] == '\\') p.erase(0, 1);
  while (EndsWithChar(p, '\\')) p.pop_back();
  return p;
}

bool TReg::OpenRegKey(const std::string& sub) {
  CloseRegKey();
  subkey = sub;
  HKEY k = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, FullPath(sub).c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &k,
                      nullptr) != ERROR_SUCCESS)
    return false;
  key_ = k;
  return true;
}

bool TReg::KeyExists(const std::string& sub) const {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, FullPath(sub).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

void TReg::CloseRegKey() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

void TReg::DeleteRegKey(const std::string& sub) {
  CloseRegKey();
  RegDeleteTreeA(HKEY_CURRENT_USER, FullPath(sub).c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, FullPath(sub).c_str());
}

void TReg::RegKeyNames(std::vector<std::string>& list) const {
  list.clear();
  if (!key_) return;
  char name[512];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    if (RegEnumKeyExA(key_, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    list.emplace_back(name, len);
  }
}

void TReg::RegValueNames(std::vector<std::string>& list) const {
  list.clear();
  if (!key_) return;
  char name[16384];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    if (RegEnumValueA(key_, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    list.emplace_back(name, len);
  }
}

int TReg::ReadRegInteger(const std::string& name, int def) const {
  if (!key_) return def;
  DWORD type = 0, v = 0, size = sizeof v;
  if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof v)
    return def;
  return static_cast<int>(v);
}

std::string TReg::ReadRegString(const std::string& name, const std::string& def) const {
  if (!key_) return def;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
    return def;
  std::string v(size + 1, '\0');
  DWORD got = size + 1;
  if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(v.data()), &got) != ERROR_SUCCESS ||
      type != REG_SZ)
    return def;
  v.resize(strnlen(v.c_str(), v.size()));
  return v;
}

void TReg::WriteRegString(const std::string& name, const std::string& value) {
  if (!key_) return;
  RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
}

}  // namespace sd
