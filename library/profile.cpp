#include "library/profile.h"

#include <algorithm>
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

namespace {
std::string_view TrimView(std::string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && static_cast<unsigned char>(s[a]) <= ' ') ++a;
  while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ') --b;
  return s.substr(a, b - a);
}
inline char FoldChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
}  // namespace

bool SameKeyName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    size_t n = CharLen(a, i);
    if (n != CharLen(b, i)) return false;
    if (n == 1 ? FoldChar(a[i]) != FoldChar(b[i]) : a.compare(i, 2, b, i, 2) != 0) return false;
    i += n;
  }
  return true;
}

std::string_view ProfileSection::Value(std::string_view key, std::string_view def) const {
  for (const ProfileKey& k : keys)
    if (SameKeyName(k.name, key)) return k.value;
  return def;
}

bool ProfileSection::Has(std::string_view key) const {
  for (const ProfileKey& k : keys)
    if (SameKeyName(k.name, key)) return true;
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
    std::string_view line = TrimView(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = FindChar(line, ']', 1);
      std::string_view name = TrimView(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      // As the system reads: a section named again is hidden behind the first one.
      auto [it, added] = by_name.emplace(LowerAscii(name), out.size());
      if (added) out.push_back({name, {}});
      cur = added ? &out[it->second] : nullptr;
      continue;
    }
    if (!cur) continue;
    size_t eq = FindChar(line, '=');
    if (eq == std::string::npos) {
      cur->keys.push_back({line, std::string_view()});
    } else {
      std::string_view name = TrimView(line.substr(0, eq));
      if (name.empty()) continue;
      std::string_view value = TrimView(line.substr(eq + 1));
      // As the system reads values: one pair of surrounding quotes is dropped.
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
      cur->keys.push_back({name, value});
    }
  }
  return out;
}

namespace {
inline char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
bool NeedsCleaning(std::string_view s) {
  if (s.empty()) return false;
  if (static_cast<unsigned char>(s.front()) <= ' ' || static_cast<unsigned char>(s.back()) <= ' ') return true;
  for (char c : s)
    if (c == '\r' || c == '\n') return true;
  return false;
}
}  // namespace

bool ProfileWriter::SameName(const Ref& a, size_t off, size_t len) const {
  if (a.len != len) return false;
  std::string_view x(text_.data() + a.off, len), y(text_.data() + off, len);
  for (size_t i = 0; i < len;) {
    size_t n = CharLen(x, i);
    if (n != CharLen(y, i)) return false;
    if (n == 1 ? Fold(x[i]) != Fold(y[i]) : x.compare(i, 2, y, i, 2) != 0) return false;
    i += n;
  }
  return true;
}

void ProfileWriter::ReserveKeys(size_t n) {
  size_t want = 16;
  while (want < 2 * n + 2) want <<= 1;
  if (want <= table_.size()) return;
  std::vector<Ref> old = std::move(table_);
  table_.assign(want, Ref());
  for (const Ref& r : old)
    if (r.used) {
      size_t i = r.hash & (table_.size() - 1);
      while (table_[i].used) i = (i + 1) & (table_.size() - 1);
      table_[i] = r;
    }
}

bool ProfileWriter::Remember(size_t off, size_t len, size_t hash) {
  if (2 * (keys_ + 1) > table_.size()) ReserveKeys(keys_ + 1);
  size_t i = hash & (table_.size() - 1);
  for (; table_[i].used; i = (i + 1) & (table_.size() - 1))
    if (table_[i].hash == hash && SameName(table_[i], off, len)) return false;
  table_[i] = Ref{off, len, hash, true};
  ++keys_;
  return true;
}

void ProfileWriter::Section(std::string_view name) {
  if (!text_.empty()) text_ += "\r\n";
  text_ += '[';
  text_ += OneLine(name);
  text_ += "]\r\n";
  if (keys_) std::fill(table_.begin(), table_.end(), Ref());
  keys_ = 0;
  reserved_names_.clear();
  longest_reserved_ = 0;
}

void ProfileWriter::Reserve(std::string_view name) {
  reserved_names_.insert(LowerAscii(Trim(name)));
  longest_reserved_ = std::max(longest_reserved_, name.size());
}

bool ProfileWriter::Key(std::string_view raw_name, std::string_view value) {
  std::string cleaned;
  std::string_view name = raw_name;
  if (NeedsCleaning(name)) {
    cleaned = Trim(OneLine(name));
    name = cleaned;
  }
  if (name.empty() || name[0] == ';' || name[0] == '[') return false;
  // One pass: the hash of the folded name, and no "=" in it.
  size_t hash = 1469598103934665603ull & SIZE_MAX;
  for (size_t i = 0; i < name.size();) {
    size_t n = CharLen(name, i);
    if (n == 1 && name[i] == '=') return false;
    for (size_t k = 0; k < n; ++k)
      hash = (hash ^ static_cast<unsigned char>(n == 1 ? Fold(name[i]) : name[i + k])) * 1099511628211ull;
    i += n;
  }
  if (name.size() <= longest_reserved_ && reserved_names_.count(LowerAscii(name))) return false;
  // The name goes in first; it is taken out again when the section has it already.
  const size_t off = text_.size();
  text_ += name;
  if (!Remember(off, name.size(), hash)) {
    text_.resize(off);
    return false;
  }
  text_ += '=';
  std::string one_line;
  // (CR and LF are never trail bytes of a GBK character.)
  if (value.find_first_of("\r\n") != std::string_view::npos) value = one_line = OneLine(value);
  // Readers trim values and drop one pair of surrounding quotes: such a value is quoted.
  const bool quote = !value.empty() && (static_cast<unsigned char>(value.front()) <= ' ' ||
                                        static_cast<unsigned char>(value.back()) <= ' ' ||
                                        (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                                         value.back() == value.front()));
  if (quote) text_ += '"';
  text_ += value;
  if (quote) text_ += '"';
  text_ += "\r\n";
  return true;
}

}  // namespace sd
