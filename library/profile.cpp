#include "library/profile.h"

#include <unordered_map>

#include "core/text.h"

namespace sd {

namespace {
std::string OneLine(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}
}  // namespace

std::string ProfileSection::Value(std::string_view key, std::string_view def) const {
  for (const ProfileKey& k : keys)
    if (TextEquals(k.name, key)) return k.value;
  return std::string(def);
}

bool ProfileSection::Has(std::string_view key) const {
  for (const ProfileKey& k : keys)
    if (TextEquals(k.name, key)) return true;
  return false;
}

std::vector<ProfileSection> ParseProfile(std::string_view text) {
  std::vector<ProfileSection> out;
  std::unordered_map<std::string, size_t> by_name;
  ProfileSection* cur = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    std::string line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = FindChar(line, ']', 1);
      std::string name = Trim(std::string_view(line).substr(1, close == std::string::npos ? std::string::npos : close - 1));
      auto [it, added] = by_name.emplace(LowerAscii(name), out.size());
      if (added) out.push_back({name, {}});
      cur = &out[it->second];
      continue;
    }
    if (!cur) continue;
    size_t eq = FindChar(line, '=');
    if (eq == std::string::npos) {
      cur->keys.push_back({line, std::string()});
    } else {
      std::string name = Trim(std::string_view(line).substr(0, eq));
      if (name.empty()) continue;
      cur->keys.push_back({name, Trim(std::string_view(line).substr(eq + 1))});
    }
  }
  return out;
}

void ProfileWriter::Section(std::string_view name) {
  if (!text_.empty()) text_ += "\r\n";
  text_ += '[';
  text_ += OneLine(name);
  text_ += "]\r\n";
  names_.clear();
}

void ProfileWriter::Reserve(std::string_view name) { names_.insert(LowerAscii(Trim(name))); }

bool ProfileWriter::Key(std::string_view raw_name, std::string_view value) {
  std::string name = Trim(OneLine(raw_name));
  if (name.empty() || name[0] == ';' || name[0] == '[' || FindChar(name, '=') != std::string::npos) return false;
  if (!names_.insert(LowerAscii(name)).second) return false;
  text_ += name;
  text_ += '=';
  text_ += OneLine(value);
  text_ += "\r\n";
  return true;
}

}  // namespace sd
