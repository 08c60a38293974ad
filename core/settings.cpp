#include "core/settings.h"

#include <windows.h>

#include "core/paths.h"
#include "core/text.h"

namespace sd {

namespace {
// A marker no real value holds, to tell a missing key from an empty one.
const char kMissing[] = "\x01\x02missing\x02\x01";

std::string ReadRaw(const std::string& path, const std::string& section, const std::string& key,
                    const char* def) {
  std::string buf(512, '\0');
  for (;;) {
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def, buf.data(),
                                       static_cast<DWORD>(buf.size()), path.c_str());
    if (n < buf.size() - 2 || buf.size() > (1u << 20)) {
      buf.resize(n);
      return buf;
    }
    buf.resize(buf.size() * 4);
  }
}
}  // namespace

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  std::string v = ReadRaw(path_, section, key, kMissing);
  return v == kMissing ? def : v;
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const {
  return ReadRaw(path_, section, key, kMissing) != kMissing;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  std::string v = ReadRaw(path_, section, key, kMissing);
  if (v == kMissing) return def;
  return TextToInt(v, def);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::vector<std::string> IniFile::ReadSection(const std::string& section) const {
  std::vector<std::string> keys;
  std::string buf(64 * 1024, '\0');
  DWORD n = GetPrivateProfileStringA(section.c_str(), nullptr, "", buf.data(), static_cast<DWORD>(buf.size()),
                                     path_.c_str());
  for (size_t i = 0; i < n;) {
    size_t len = strnlen(buf.data() + i, n - i);
    if (len) keys.emplace_back(buf.data() + i, len);
    i += len + 1;
  }
  return keys;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) const {
  WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str());
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) const {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) const {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::EraseSection(const std::string& section) const {
  WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, path_.c_str());
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) const {
  WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, path_.c_str());
}

IniFile Settings() { return IniFile(Paths().SettingsFile); }

}  // namespace sd
