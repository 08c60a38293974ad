#include "core/text.h"

#include <gtest/gtest.h>

#include "core/colorfont.h"
#include "core/digitpairs.h"

namespace sd {
namespace {

// "表" is B1ED; "芦" is C2AB; these carry trail bytes that look like ASCII:
// "乗" is not GBK; 0x5C ('\\'), 0x5B ('['), 0x41..0x5A ('A'..'Z') trail bytes:
const std::string kTrailBackslash = "\x81\x5c";  // a GBK character whose trail byte is '\\'
const std::string kTrailA = "\x81\x41";          // trail byte 'A'
const std::string kTrailBracket = "\x81\x5b";    // trail byte '['
const std::string kTrailSemi = "\x81\x7c";       // trail byte '|'

struct NormCase {
  std::string in, out;
};

TEST(TextNormalize, TrimsAndLowersAsciiOnly) {
  const NormCase cases[] = {
      {"#Play", "#play"},
      {"  #PLAY \t\r\n", "#play"},
      {"\x01\x1f#Next\x7f", "#next\x7f"},  // DEL is not a control character to trim
      {"", ""},
      {"   ", ""},
      {"C:\\Music\\" + kTrailA + "B.MP3", "c:\\music\\" + kTrailA + "b.mp3"},
      {kTrailA + kTrailA, kTrailA + kTrailA},
      {"\xb2\xa5\xb7\xc5" "ABC", "\xb2\xa5\xb7\xc5" "abc"},
      {"X\xc7", "x\xc7"},  // a lone lead byte at the end
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeText(c.in), c.out) << c.in;
}

TEST(TextNormalize, UpperKeepsTrailBytes) {
  EXPECT_EQ(UpperAscii("abc" + std::string("\x81\x61") + "z"), "ABC\x81\x61Z");
}

TEST(TextEquals, TrimmedCaseInsensitive) {
  EXPECT_TRUE(TextEquals(" Default ", "default"));
  EXPECT_FALSE(TextEquals(kTrailA, "\x81\x61"));  // trail 'A' is not the letter A
  EXPECT_FALSE(TextEquals("a b", "ab"));
}

TEST(TextSearch, StepsOverTrailBytes) {
  std::string s = "C:" + kTrailBackslash + "x\\y.mp3";
  EXPECT_EQ(FindLastChar(s, '\\'), 5u);
  EXPECT_EQ(FindChar(s, '\\'), 5u);
  EXPECT_EQ(FindChar(kTrailBracket + "[", '['), 2u);
  EXPECT_EQ(FindText(kTrailA + "A", "A"), 2u);
  EXPECT_EQ(FindChar("abc", 'z'), std::string_view::npos);
  EXPECT_FALSE(EndsWithChar(kTrailBackslash, '\\'));
  EXPECT_TRUE(EndsWithChar("a\\", '\\'));
}

struct PathCase {
  std::string path, folder, name, ext, title;
};

TEST(TextPaths, Pieces) {
  const PathCase cases[] = {
      {"c:\\music\\song.mp3", "c:\\music\\", "song.mp3", ".mp3", "song"},
      {"c:\\a.b\\song", "c:\\a.b\\", "song", "", "song"},
      {"song.tar.gz", "", "song.tar.gz", ".gz", "song.tar"},
      {"c:\\" + kTrailBackslash + ".mp3", "c:\\", kTrailBackslash + ".mp3", ".mp3", kTrailBackslash},
      {"c:\\x\\" + kTrailBackslash, "c:\\x\\", kTrailBackslash, "", kTrailBackslash},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
    EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
    EXPECT_EQ(FileTitle(c.path), c.title) << c.path;
  }
}

TEST(TextPaths, WithBackslash) {
  EXPECT_EQ(WithBackslash(""), "");
  EXPECT_EQ(WithBackslash("c:\\"), "c:\\");
  EXPECT_EQ(WithBackslash("c:\\music"), "c:\\music\\");
  // A folder whose name ends in a character with trail byte '\\' still needs one.
  EXPECT_EQ(WithBackslash("c:\\" + kTrailBackslash), "c:\\" + kTrailBackslash + "\\");
}

TEST(TextSplitNames, Cases) {
  struct Case {
    std::string in;
    std::vector<std::string> out;
  } cases[] = {
      {"", {}},
      {"*.mp3", {"*.mp3"}},
      {"*.mp3;*.wav;", {"*.mp3", "*.wav"}},
      {"*.mp3, *.wav", {"*.mp3", " *.wav"}},  // pieces stay untrimmed
      {";; ;,a,", {"a"}},
      {"x" + kTrailSemi + ";y", {"x" + kTrailSemi, "y"}},
      {"\x81;x", {"\x81", "x"}},  // ';' is no trail byte: a stray lead byte does not hide it
  };
  for (const auto& c : cases) {
    std::vector<std::string> list;
    SplitNames(c.in, list);
    EXPECT_EQ(list, c.out) << c.in;
  }
}

TEST(TextToInt, Cases) {
  struct Case {
    std::string in;
    int32_t out;
  } cases[] = {
      {"0", 0}, {"1", 1}, {"-1", -1}, {"+7", 7}, {" 12", 12}, {"12 ", -99}, {"abc", -99},
      {"", -99}, {"$ff", 255}, {"0x10", 16}, {"2147483647", 2147483647}, {"2147483648", -99},
      {"-2147483648", INT32_MIN}, {"$FFFFFFFF", -1}, {"1.5", -99}, {"-", -99},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToInt(c.in, -99), c.out) << c.in;
}

TEST(DigitPairs, Decode) {
  struct Case {
    std::vector<uint8_t> bytes;
    int32_t value;
  } cases[] = {
      {{0x02, 0x02, 0x01, 0x01}, 101},
      {{0x5C, 0x01, 0x01, 0x01}, 91},
      {{0x01, 0x01, 0x01, 0x01}, 0},
      {{0x19, 0x08, 0x15, 0x05}, 4200724},  // 24, 07, 20, 04
      {{0x64, 0x64, 0x64, 0x16}, 21999999},
      {{0x00, 0x01, 0x01, 0x01}, 0},         // "000-1" is no integer
      {{0x01, 0x01, 0x01, 0x00}, -1000000},  // "-1000000" is one
      {{0xFF, 0x01, 0x01, 0x01}, 254},       // "000000254"
      {{0x64, 0x64, 0x64, 0x64, 0x64}, 0},   // beyond 32 bits
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeDigitPairs(c.bytes.data(), c.bytes.size()), c.value);
}

TEST(DigitPairs, EncodeRoundTrip) {
  for (int32_t v : {0, 1, 99, 100, 4200724, 103, 99999999}) {
    uint8_t b[4];
    ASSERT_TRUE(EncodeDigitPairs(v, b, 4));
    for (uint8_t x : b) EXPECT_TRUE(x >= 1 && x <= 100);
    EXPECT_EQ(DecodeDigitPairs(b, 4), v);
  }
  uint8_t b[4];
  EXPECT_FALSE(EncodeDigitPairs(100000000, b, 4));
  EXPECT_FALSE(EncodeDigitPairs(-5, b, 4));
}

TEST(ColorFontText, Format) {
  EXPECT_EQ(ColorToText(0x00FFFFFF), "&H00FFFFFF");
  EXPECT_EQ(ColorToText(0xAB), "&H000000AB");
  FontDesc f;
  f.face = "\xbf\xac\xcc\xe5_GB2312";  // 楷体_GB2312
  f.color = 0xFFFFFF;
  f.size = 15;
  f.charset = 134;
  EXPECT_EQ(FontToText(f), "\xbf\xac\xcc\xe5_GB2312,[],&H00FFFFFF,15,134");
  f.bold = f.italic = f.underline = f.strikeout = true;
  EXPECT_EQ(FontToText(f), "\xbf\xac\xcc\xe5_GB2312,[Bold,Italic,Underline,Strikeout],&H00FFFFFF,15,134");
}

TEST(Literals, SourcesAreGbk) {
  // The build turns UTF-8 sources into GBK literals in both configurations.
  EXPECT_EQ(std::string("青禾播放器Ⅲ 2.5"), "\xc7\xe0\xba\xcc\xb2\xa5\xb7\xc5\xc6\xf7\xa2\xf3 2.5");
}

}  // namespace
}  // namespace sd
