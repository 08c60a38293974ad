// GBK-aware text helpers. Every text of the player is GBK bytes; a lead byte
// (0x81-0xFE) and the byte after it form one character, and that trail byte
// may be any of 0x40-0xFE, including '\\', '[', ']', '|' and 'A'-'Z'. Byte-wise
// operations on text (case folding, searching for separators) go through here.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sd {

inline bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
inline bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

// Length in bytes of the character starting at s[i]: 2 for a lead byte followed by a trail
// byte, else 1 (a stray lead byte never swallows a separator such as ';' after it).
inline size_t CharLen(std::string_view s, size_t i) {
  return (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
          IsTrailByte(static_cast<unsigned char>(s[i + 1])))
             ? 2
             : 1;
}

// Blanks and control characters (bytes up to 0x20) removed at both ends.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
// ASCII A-Z / a-z folded; every other byte, and each trail byte of a GBK pair, unchanged.
std::string LowerAscii(std::string_view s);
std::string UpperAscii(std::string_view s);
// Trim, then LowerAscii: the form verbs and arguments are matched in.
std::string NormalizeText(std::string_view s);
// Equal after trimming both and lowering ASCII letters; then byte for byte.
bool TextEquals(std::string_view a, std::string_view b);

// Position of the first / last character c (an ASCII byte) that is not a GBK trail byte.
size_t FindChar(std::string_view s, char c, size_t from = 0);
size_t FindLastChar(std::string_view s, char c);
// First occurrence of needle that starts on a character boundary.
size_t FindText(std::string_view s, std::string_view needle, size_t from = 0);
// True when s ends with the ASCII character c as a whole character.
bool EndsWithChar(std::string_view s, char c);

// Path pieces ('\\' separated; '/' and ':' also end the folder part).
std::string ExtractFilePath(std::string_view path);   // folder with trailing separator
std::string ExtractFileName(std::string_view path);   // name with extension
std::string ExtractFileExt(std::string_view path);    // ".ext" of the name, or empty
std::string FileTitle(std::string_view path);         // name without its extension
std::string WithBackslash(std::string_view path);     // empty stays empty; else ends in '\\'

// Pieces between ';' and ',' that are not blank after trimming, appended untrimmed.
void SplitNames(std::string_view text, std::vector<std::string>& list);

// Integer of a text: optional blanks and sign, then decimal digits, or '$'/"0x" and hex
// digits; anything else, or a value outside 32 bits, gives the default.
int32_t TextToInt(std::string_view s, int32_t def);
bool TryTextToInt(std::string_view s, int32_t& out);
std::string IntToText(long long v);

}  // namespace sd
