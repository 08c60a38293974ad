#include "core/text.h"

#include <limits>

namespace sd {

namespace {
inline bool IsBlank(unsigned char c) { return c <= 0x20; }
}

std::string Trim(std::string_view s) {
  // Neither a lead nor a trail byte is <= 0x20, so trimming bytes never splits a character.
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

std::string TrimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
  return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(0, e));
}

static std::string FoldAscii(std::string_view s, bool lower) {
  std::string r(s);
  for (size_t i = 0; i < r.size();) {
    unsigned char c = static_cast<unsigned char>(r[i]);
    if (IsLeadByte(c)) { i += CharLen(r, i); continue; }
    if (lower && c >= 'A' && c <= 'Z') r[i] = static_cast<char>(c + 32);
    if (!lower && c >= 'a' && c <= 'z') r[i] = static_cast<char>(c - 32);
    ++i;
  }
  return r;
}

std::string LowerAscii(std::string_view s) { return FoldAscii(s, true); }
std::string UpperAscii(std::string_view s) { return FoldAscii(s, false); }
std::string NormalizeText(std::string_view s) { return LowerAscii(Trim(s)); }
bool TextEquals(std::string_view a, std::string_view b) { return NormalizeText(a) == NormalizeText(b); }

size_t FindChar(std::string_view s, char c, size_t from) {
  // Walk from the start so that 'from' never lands us on a trail byte.
  for (size_t i = 0; i < s.size(); i += CharLen(s, i))
    if (i >= from && s[i] == c) return i;
  return std::string_view::npos;
}

size_t FindLastChar(std::string_view s, char c) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < s.size(); i += CharLen(s, i))
    if (s[i] == c) found = i;
  return found;
}

size_t FindText(std::string_view s, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= s.size() ? from : std::string_view::npos;
  for (size_t i = 0; i + needle.size() <= s.size(); i += CharLen(s, i))
    if (i >= from && s.compare(i, needle.size(), needle) == 0) return i;
  return std::string_view::npos;
}

bool EndsWithChar(std::string_view s, char c) {
  if (s.empty()) return false;
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < s.size(); i += CharLen(s, i)) last = i;
  return last == s.size() - 1 && s[last] == c;
}

// Position after the last path separator, or 0.
static size_t NameStart(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); i += CharLen(path, i))
    if (path[i] == '\\' || path[i] == '/' || path[i] == ':') start = i + 1;
  return start;
}

std::string ExtractFilePath(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }
std::string ExtractFileName(std::string_view path) { return std::string(path.substr(NameStart(path))); }

std::string ExtractFileExt(std::string_view path) {
  std::string_view name = path.substr(NameStart(path));
  size_t dot = FindLastChar(name, '.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string FileTitle(std::string_view path) {
  std::string_view name = path.substr(NameStart(path));
  size_t dot = FindLastChar(name, '.');
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string WithBackslash(std::string_view path) {
  if (path.empty() || EndsWithChar(path, '\\')) return std::string(path);
  return std::string(path) + '\\';
}

void SplitNames(std::string_view text, std::vector<std::string>& list) {
  if (text.empty()) return;
  std::string t(text);
  if (!EndsWithChar(t, ';') && !EndsWithChar(t, ',')) t += ';';
  size_t start = 0;
  for (size_t i = 0; i < t.size(); i += CharLen(t, i)) {
    if (t[i] != ';' && t[i] != ',') continue;
    std::string piece = t.substr(start, i - start);
    if (!Trim(piece).empty()) list.push_back(piece);
    start = i + 1;
  }
}

bool TryTextToInt(std::string_view s, int32_t& out) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') { base = 16; ++i; }
  else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) { base = 16; i += 2; }
  if (i >= s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFLL) return false;
  }
  if (base == 10) {
    long long sv = neg ? -v : v;
    if (sv < std::numeric_limits<int32_t>::min() || sv > std::numeric_limits<int32_t>::max()) return false;
    out = static_cast<int32_t>(sv);
  } else {
    // Hexadecimal texts give the 32-bit pattern ("$FFFFFFFF" is -1).
    uint32_t u = static_cast<uint32_t>(v);
    if (neg) u = 0u - u;
    out = static_cast<int32_t>(u);
  }
  return true;
}

int32_t TextToInt(std::string_view s, int32_t def) {
  int32_t v;
  return TryTextToInt(s, v) ? v : def;
}

std::string IntToText(long long v) { return std::to_string(v); }

}  // namespace sd
