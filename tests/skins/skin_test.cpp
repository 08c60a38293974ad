#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <map>
#include <sstream>

#include "core/colorfont.h"
#include "core/digitpairs.h"
#include "skins/bitmapcheck.h"
#include "skins/skinfile.h"
#include "skins/skinwriter.h"

namespace sd {
namespace {

std::string Lines(std::initializer_list<const char*> lines) {
  std::string s;
  for (const char* l : lines) s += std::string(l) + "\r\n";
  return s;
}

std::string Built(const std::string& text, const std::vector<SkinBlockData>& blocks) {
  std::string out, error;
  EXPECT_TRUE(BuildSkinFile(text, blocks, out, error)) << error;
  return out;
}

SkinDesc Parse(const std::string& bytes) {
  MemorySkinInput in(bytes);
  SkinDesc d;
  EXPECT_TRUE(ParseSkin(in, d));
  return d;
}

const SkinCtrl& Ctrl(const SkinDesc& d, int binding, int part = 0) {
  return d.controls.at(d.bindings.at(binding).controls.at(part));
}

// The bytes of the control's picture of a state, or "-" when it has none.
std::string PictureOf(const std::string& file, const SkinCtrl& c, int state) {
  for (const auto& p : c.pictures)
    if (p.state == state) {
      MemorySkinInput in(file);
      std::string out;
      EXPECT_TRUE(ReadPicture(in, p, out));
      return out;
    }
  return "-";
}

std::vector<uint8_t> Kinds(const SkinDesc& d) {
  std::vector<uint8_t> k;
  for (const auto& b : d.bindings) k.push_back(b.kind);
  return k;
}

// ------------------------------------------------------------------ text part

TEST(SkinText, LineEndsAndEndMarks) {
  struct Case {
    std::string in;
    std::vector<std::string> lines;
  } cases[] = {
      {"a=1\r\nb=2\r\n", {"a=1", "b=2"}},
      {"a=1\nb=2", {"a=1", "b=2"}},
      {"a=1\rb=2\r\n\r\nc", {"a=1", "b=2", "", "c"}},
      {"a=1\r\nb=2\x1A" "c=3\r\n", {"a=1", "b=2"}},
      {"a=1\r\n#26[end]\r\nb=2\r\n", {"a=1"}},
      {"a=1\r\n #26[END]\r\nb=2\r\n", {"a=1", " #26[END]", "b=2"}},  // compared untrimmed
      {"\x1A[END]\r\nxyz", {}},
  };
  for (const auto& c : cases) {
    MemorySkinInput in(c.in);
    std::vector<std::string> lines;
    EXPECT_TRUE(ReadSkinTextLines(in, lines));
    EXPECT_EQ(lines, c.lines) << c.in;
  }
}

TEST(SkinText, EndOfTextHidesLaterSections) {
  SkinDesc d = Parse(Lines({"[按钮]", "父窗口=0", "#26[END]", "[按钮]", "父窗口=0"}));
  EXPECT_EQ(d.bindings.size(), 1u);
}

TEST(SkinText, NoTerminatorReadsEverythingAsText) {
  // Bytes that would be a picture block after a terminator are only a line here.
  std::string file = Lines({"[按钮]", "父窗口=0", "位置[X]=3"}) + std::string("0000\x02\x01\x01\x01\x01\x01\x01\x01X", 13);
  SkinDesc d = Parse(file);
  EXPECT_FALSE(d.terminatorFound);
  ASSERT_EQ(d.bindings.size(), 1u);
  EXPECT_EQ(Ctrl(d, 0).left, 3);
  EXPECT_TRUE(Ctrl(d, 0).pictures.empty());
}

TEST(SkinText, KeysIgnoreLatinCaseSectionsMatchExactly) {
  SkinDesc d = Parse(Lines({"[按钮]", "父窗口=0", " 位置[x] = 12 ", "位置[Y]=7", "[ 按钮 ]", "父窗口=0",
                            "[按钮 ]", "父窗口=0"}));
  ASSERT_EQ(d.bindings.size(), 1u);
  EXPECT_EQ(Ctrl(d, 0).left, 12);
  EXPECT_EQ(Ctrl(d, 0).top, 7);
}

TEST(SkinText, EachWindowLineMakesOneMoreBinding) {
  SkinDesc d = Parse(Lines({"[按钮]", "父窗口=0", "提示=上一首", "命令=#Prev", "父窗口=0", "命令=#Next[5]"}));
  ASSERT_EQ(Kinds(d), (std::vector<uint8_t>{kKindButton, kKindButton}));
  EXPECT_EQ(Ctrl(d, 0).verb, "#Prev");
  EXPECT_EQ(Ctrl(d, 0).tooltip, "上一首");
  EXPECT_EQ(Ctrl(d, 1).verb, "#Next");
  EXPECT_EQ(Ctrl(d, 1).argument, "5");
  EXPECT_EQ(Ctrl(d, 1).tooltip, "");
}

TEST(SkinText, SectionsAbandonedByMissingOrBadWindow) {
  struct Case {
    std::string text;
    size_t bindings;
  } cases[] = {
      {Lines({"[按钮]", "位置[X]=1", "父窗口=0"}), 0},       // a key before the window
      {Lines({"[按钮]", "父窗口=1"}), 0},                    // no extension window yet
      {Lines({"[按钮]", "父窗口=abc"}), 0},
      {Lines({"[按钮]", "父窗口=-1"}), 0},
      {Lines({"[按钮]", "父窗口=0", "父窗口=5", "父窗口=0"}), 1},  // the rest of the section goes
      {Lines({"[按钮]", "父窗口=1", "[扩展窗口]", "[按钮]", "父窗口=1"}), 1},  // declared before
      {Lines({"[扩展窗口]", "[扩展窗口]", "[按钮]", "父窗口=2", "[文本]", "父窗口=3"}), 1},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.text).bindings.size(), c.bindings) << c.text;
  SkinDesc d = Parse(cases[6].text);
  EXPECT_EQ(Ctrl(d, 0).window, 2);
}

TEST(SkinText, ControlClassesAndCounts) {
  SkinDesc d = Parse(Lines({"[文本]", "父窗口=0", "[音量控制]", "父窗口=0", "[歌曲编号]", "父窗口=0",
                            "[歌词显示]", "父窗口=0", "[时间显示]", "父窗口=0", "[标题显示]", "父窗口=0"}));
  struct Want {
    uint8_t kind;
    size_t controls;
    CtrlClass cls;
  } want[] = {{kKindText, 1, CtrlClass::Label},        {kKindVolume, 2, CtrlClass::Picture},
              {kKindSongNumber, 3, CtrlClass::Picture}, {kKindLyricsStrip, 1, CtrlClass::PaintBox},
              {kKindTime, 1, CtrlClass::Label},         {kKindTitle, 1, CtrlClass::PaintBox}};
  ASSERT_EQ(d.bindings.size(), std::size(want));
  for (size_t i = 0; i < std::size(want); ++i) {
    EXPECT_EQ(d.bindings[i].kind, want[i].kind);
    EXPECT_EQ(d.bindings[i].controls.size(), want[i].controls);
    EXPECT_EQ(Ctrl(d, static_cast<int>(i)).cls, want[i].cls);
  }
}

TEST(SkinText, ControlKeys) {
  SkinDesc d = Parse(Lines({"[文本]", "父窗口=0", "标题=青禾", "颜色=&HFF0000", "透明=0", "字体[1]=宋体,[],&H0,9,134",
                            "字体[1]=黑体,[],&H0,9,134", "[播放位置]", "父窗口=0", "位置[X]=40", "方向=纵向",
                            "类型=拉伸", "透明=1", "[平衡控制]", "父窗口=0", "方向=横向", "[歌曲编号]", "父窗口=0",
                            "位置[X]=9", "位置[Y]=abc", "提示=不用", "[歌词显示]", "父窗口=0", "显示颜色=&H00FF00",
                            "宽度=200", "字体=宋体,[],&H0,9,134", "[标题显示]", "父窗口=0", "宽度=x"}));
  const SkinCtrl& text = Ctrl(d, 0);
  EXPECT_EQ(text.caption, "青禾");
  EXPECT_TRUE(text.hasColor);
  EXPECT_EQ(text.color, 0xFF0000u);
  EXPECT_FALSE(text.transparent);
  ASSERT_EQ(text.fonts.size(), 1u);  // a second font of a state would never be chosen
  EXPECT_EQ(text.fonts[0], (FontEntry{1, "宋体,[],&H0,9,134"}));

  for (int part : {0, 1}) {
    EXPECT_EQ(Ctrl(d, 1, part).left, 40);
    EXPECT_TRUE(Ctrl(d, 1, part).transparent);
  }
  EXPECT_EQ(BindingProperty(d, 1, "方向"), 1);
  EXPECT_EQ(BindingProperty(d, 1, " 类型 "), 1);
  EXPECT_EQ(BindingProperty(d, 2, "方向"), 0);
  EXPECT_EQ(BindingProperty(d, 2, "类型"), -1);

  EXPECT_EQ(BindingProperty(d, 3, "位置[x]"), 9);
  EXPECT_EQ(BindingProperty(d, 3, "位置[Y]"), 0);
  EXPECT_EQ(Ctrl(d, 3).left, 0);  // the digits are placed from the parameters
  EXPECT_EQ(Ctrl(d, 3).tooltip, "");

  EXPECT_EQ(BindingProperty(d, 4, "显示颜色"), 0x00FF00);
  EXPECT_EQ(BindingProperty(d, 4, "宽度"), 200);
  EXPECT_EQ(Ctrl(d, 4).fonts.size(), 1u);
  EXPECT_EQ(BindingProperty(d, 5, "宽度"), 0);
  EXPECT_EQ(BindingProperty(d, 5, "高度"), -1);
  EXPECT_EQ(BindingProperty(d, 99, "宽度"), -1);
}

TEST(SkinText, StatusLamps) {
  struct Case {
    const char* state;
    uint8_t kind;
    const char* verb;
  } cases[] = {{"0", 17, "#FileManage"}, {"1", 18, "#Lyrics"},  {"6", 23, "#OnTop"}, {"11", 28, "#Lyrics"},
               {"12", 29, "#Silent"},    {"13", kKindInert, ""}, {"-1", kKindInert, ""}, {"灯", 17, "#FileManage"}};
  for (const auto& c : cases) {
    SkinDesc d = Parse(Lines({"[状态指示]", "父窗口=0"}) + "状态=" + c.state + "\r\n");
    ASSERT_EQ(d.bindings.size(), 1u);
    EXPECT_EQ(d.bindings[0].kind, c.kind) << c.state;
    EXPECT_EQ(Ctrl(d, 0).verb, c.verb) << c.state;
  }
  SkinDesc d = Parse(Lines({"[状态指示]", "父窗口=0", "状态=2", "命令=#Mine[x]", "[状态指示]", "父窗口=0"}));
  EXPECT_EQ(Kinds(d), (std::vector<uint8_t>{19, kKindStatusLamp}));
  EXPECT_EQ(Ctrl(d, 0).verb, "#Mine");
  EXPECT_EQ(Ctrl(d, 0).argument, "x");
}

TEST(SkinText, CommandTexts) {
  struct Case {
    const char* text;
    const char* verb;
    const char* arg;
  } cases[] = {
      {"#Play", "#Play", ""},
      {" #Skin[D:\\外壳\\蓝.eks] ", "#Skin", "D:\\外壳\\蓝.eks"},
      {"#Visual[default", "#Visual[default", ""},
      {"#A[b]c", "#A[b]c", ""},
      {"#A[]", "#A", ""},
      {"#A[[x]]", "#A", "[x]"},
      {"notepad.exe", "notepad.exe", ""},
      {"", "", ""},
      // a GBK character whose trail byte is ']' does not close the argument
      {"#A[\x81]", "#A[\x81]", ""},
  };
  for (const auto& c : cases) {
    std::string verb = "?", arg = "?";
    SplitCommandText(c.text, verb, arg);
    EXPECT_EQ(verb, c.verb) << c.text;
    EXPECT_EQ(arg, c.arg) << c.text;
  }
}

// ------------------------------------------------------------------ colours and fonts

TEST(SkinValues, Colours) {
  struct Case {
    const char* text;
    uint32_t color;
  } cases[] = {{"&HFFFFFF", 0xFFFFFF}, {"&hff0000", 0xFF0000}, {"&H0", 0},          {"&H1234567", 0xFFFFFF},
               {"-1", 0xFFFFFF},       {"-2", 0xFFFFFE},       {"255", 255},        {"$FF00", 0xFF00},
               {"&H00FFFFFF", 0xFFFFFF}, {"16777216", 0xFFFFFF}, {" 12 ", 12},       {"abc", 0x123},
               {"&H", 0x123},          {"", 0x123},            {"&HFFFFFFFFF", 0x123}, {"&HGG", 0x123}};
  for (const auto& c : cases) EXPECT_EQ(TextToColor(c.text, 0x123), c.color) << c.text;
  // In a skin, a colour that is not a number is black.
  SkinDesc d = Parse(Lines({"[时间显示]", "父窗口=0", "颜色=白"}));
  EXPECT_TRUE(Ctrl(d, 0).hasColor);
  EXPECT_EQ(Ctrl(d, 0).color, 0u);
}

TEST(SkinValues, ColourTextRoundTrip) {
  for (uint32_t c : {0u, 1u, 0xFFu, 0xFF00u, 0xFF0000u, 0xFFFFFFu, 0x123456u, 0x808080u})
    EXPECT_EQ(TextToColor(ColorToText(c), 0xABCDEF), c) << c;
}

TEST(SkinValues, FontTexts) {
  auto font = [](const char* face, bool b, bool i, bool u, bool s, uint32_t color, int size, int cs) {
    FontDesc f;
    f.face = face;
    f.bold = b, f.italic = i, f.underline = u, f.strikeout = s;
    f.color = color, f.size = size, f.charset = cs;
    return f;
  };
  struct Case {
    const char* text;
    FontDesc want;
  } cases[] = {
      {"楷体_GB2312,[],&H00FFFFFF,15,134", font("楷体_GB2312", 0, 0, 0, 0, 0xFFFFFF, 15, 134)},
      {"Arial,[UNDERLINE Bold],&H0000FF,10,0", font("Arial", 1, 0, 1, 0, 0xFF, 10, 0)},
      {"Arial,[italic,StrikeOut],255,8,1", font("Arial", 0, 1, 0, 1, 255, 8, 1)},
      // no "],": the style is plain and the '&' of the colour is lost with the missing separator
      {"宋体,&H00FF00,12,134", font("宋体", 0, 0, 0, 0, 0, 12, 134)},
      {"宋体,[bold,&H00FF00,12,134", font("宋体", 0, 0, 0, 0, 0, 7, 12)},
      // a size that is not a number keeps the font's size; a missing set is the default one
      {"Arial,[],&HFF,big", font("Arial", 0, 0, 0, 0, 0xFF, 7, 1)},
      {"Arial", font("Arial", 0, 0, 0, 0, 0, 7, 1)},
      {"", font("", 0, 0, 0, 0, 0, 7, 1)},
  };
  for (const auto& c : cases) {
    FontDesc f;
    f.size = 7;
    f.bold = true;
    TextToFont(c.text, f);
    EXPECT_EQ(f, c.want) << c.text;
  }
}

TEST(SkinValues, FontTextRoundTrip) {
  FontDesc plain;
  plain.face = "楷体_GB2312";
  plain.color = 0xFFFFFF;
  plain.size = 15;
  plain.charset = 134;
  std::vector<FontDesc> fonts{plain};
  for (int styles = 1; styles < 16; ++styles) {
    FontDesc f = plain;
    f.face = "Tahoma";
    f.bold = styles & 1, f.italic = styles & 2, f.underline = styles & 4, f.strikeout = styles & 8;
    f.color = 0x10203 * styles;
    f.size = -styles;
    f.charset = styles * 10;
    fonts.push_back(f);
  }
  for (const auto& f : fonts) {
    FontDesc back;
    TextToFont(FontToText(f), back);
    EXPECT_EQ(back, f) << FontToText(f);
  }
}

// ------------------------------------------------------------------ windows

TEST(SkinWindows, ExpandModesAndSpeeds) {
  struct Case {
    const char* keys;
    uint8_t mode;
    int speed;
  } cases[] = {{"", kExpandVerticalSlide, 1},
               {"展开方式=1\r\n展开速度=5\r\n", kExpandHorizontalSlide, 5},
               {"展开方式=2\r\n展开速度=0\r\n", kExpandHorizontalGrow, 1},
               {"展开方式=3\r\n展开速度=25\r\n", kExpandVerticalSlide, 20},
               {"展开方式=4\r\n展开速度=快\r\n", kExpandVerticalGrow, 1},
               {"展开方式=0\r\n展开速度=-3\r\n", kExpandShowHide, 1},
               {"展开方式=9\r\n展开速度=20\r\n", kExpandShowHide, 20},
               {"展开方式=x\r\n", kExpandVerticalSlide, 1}};
  for (const auto& c : cases) {
    SkinDesc d = Parse("[扩展窗口]\r\n" + std::string(c.keys));
    ASSERT_EQ(d.windows.size(), 2u);
    EXPECT_EQ(d.windows[1].expandMode, c.mode) << c.keys;
    EXPECT_EQ(d.windows[1].expandSpeed, c.speed) << c.keys;
  }
  SkinDesc d = Parse(Lines({"[扩展窗口]", "类型=文件", "移动量[x]=-40", "移动量[Y]=30", "位置[X]=5", "位置[Y]=abc",
                            "[扩展窗口]", "类型=选择", "[扩展窗口]", "类型=未知"}));
  EXPECT_EQ(d.windows[0].type, kWindowMain);
  EXPECT_EQ(d.windows[1].type, kWindowFiles);
  EXPECT_EQ(d.windows[1].moveX, -40);
  EXPECT_EQ(d.windows[1].moveY, 30);
  EXPECT_EQ(d.windows[1].left, 5);
  EXPECT_EQ(d.windows[1].top, 0);
  EXPECT_EQ(d.windows[2].type, kWindowSelect);
  EXPECT_EQ(d.windows[3].type, kWindowCustom);
}

std::string BandList(int numbers, bool lastComma) {
  std::string s;
  for (int i = 0; i < numbers; ++i) {
    s += std::to_string(100 + i);
    if (i + 1 < numbers || lastComma) s += ",";
  }
  return s;
}

TEST(SkinWindows, EqualiserBandPositions) {
  struct Case {
    std::string list;
    int y19;   // band 19's y
    int x19;
  } cases[] = {{BandList(40, true), 139, 138},
               {BandList(40, false), 0, 138},   // the last number has no comma
               {BandList(39, true), 0, 138},
               {BandList(41, true), 139, 138}};
  for (const auto& c : cases) {
    SkinDesc d = Parse(Lines({"[扩展窗口]", "类型=eq均衡"}) + "按钮=" + c.list + "\r\n");
    int row = FindBinding(d, kKindEqualiser, 0);
    ASSERT_GE(row, 0);
    const auto& ctrls = d.bindings[row].controls;
    ASSERT_EQ(ctrls.size(), 40u);
    EXPECT_EQ(d.windows[1].type, kWindowEqualiser);
    for (int part : {19, 39}) {  // band 19's thumb and track
      EXPECT_EQ(d.controls[ctrls[part]].left, c.x19) << c.list;
      EXPECT_EQ(d.controls[ctrls[part]].top, c.y19) << c.list;
    }
    EXPECT_EQ(d.controls[ctrls[20]].left, 100);
    EXPECT_EQ(d.controls[ctrls[20]].top, 101);
  }
  // Before the type line the list means nothing; later lists go to the first equaliser.
  SkinDesc d = Parse(Lines({"[扩展窗口]", "按钮=1,2,", "类型=EQ均衡", "[扩展窗口]", "类型=EQ均衡", "按钮=7,8,"}));
  ASSERT_EQ(FindBinding(d, kKindEqualiser, 1), 1);
  EXPECT_EQ(Ctrl(d, 0, 0).left, 7);
  EXPECT_EQ(Ctrl(d, 1, 0).left, 0);
  EXPECT_EQ(Ctrl(d, 0, 0).window, 1);
  EXPECT_EQ(Ctrl(d, 1, 0).window, 2);
}

TEST(SkinWindows, SpectrumAndLyricsViews) {
  std::string viewSections =
      Lines({"[频谱]", "颜色=&H00FF00", "宽度=200", "高度=x", "提示=频谱", "命令=#Visual[mine]", "[歌词]", "宽度=300",
             "高度=50", "提示=歌词", "位置[X]=4", "位置[Y]=6"});
  SkinDesc none = Parse(viewSections);
  EXPECT_EQ(none.bindings.size(), 0u);
  EXPECT_EQ(none.windows.size(), 1u);

  SkinDesc d = Parse(Lines({"[扩展窗口]", "类型=歌词", "[扩展窗口]", "类型=频谱"}) + viewSections);
  ASSERT_EQ(Kinds(d), (std::vector<uint8_t>{kKindSpectrum}));
  const SkinCtrl& view = Ctrl(d, 0);
  EXPECT_EQ(view.cls, CtrlClass::PaintBox);
  EXPECT_EQ(view.window, 2);
  EXPECT_EQ(view.color, 0x00FF00u);
  EXPECT_EQ(view.tooltip, "频谱");
  EXPECT_EQ(view.verb, "#Visual");
  EXPECT_EQ(BindingProperty(d, 0, "宽度"), 200);
  EXPECT_EQ(BindingProperty(d, 0, "高度"), 120);
  const LyricsViewDesc& lv = d.windows[1].lyricsView;
  EXPECT_TRUE(lv.exists);
  EXPECT_EQ(lv, (LyricsViewDesc{true, 4, 6, 300, 50, "歌词"}));
  EXPECT_FALSE(d.windows[2].lyricsView.exists);
}

// ------------------------------------------------------------------ blocks

TEST(SkinBlocks, DigitPairLengths) {
  struct Case {
    std::vector<uint8_t> bytes;
    int32_t value;
  } cases[] = {
      {{1, 1, 1, 1, 1, 1, 1, 1}, 0},
      {{11, 1, 1, 1, 1, 1, 1, 1}, 10},
      {{1, 2, 1, 1, 1, 1, 1, 1}, 100},
      {{100, 100, 100, 100, 1, 1, 1, 1}, 99999999},
      {{100, 100, 100, 100, 22, 1, 1, 1}, 0},        // 2199999999 is not a 32-bit integer
      {{0, 1, 1, 1, 1, 1, 1, 1}, 0},                 // a "-1" piece in the middle
      {{1, 1, 1, 1, 1, 1, 1, 100}, 0},               // far too large
      {{255, 1, 1, 1, 1, 1, 1, 1}, 254},             // three digits for one byte
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeDigitPairs(c.bytes.data(), c.bytes.size()), c.value);
    EXPECT_EQ(BlockLengthField(c.bytes.data()), c.value);
  }
}

TEST(SkinBlocks, LengthFieldFollowsTheTextRule) {
  const uint8_t values[] = {0, 1, 2, 11, 50, 99, 100, 101, 102, 150, 201, 255};
  uint32_t seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    uint8_t f[8];
    for (auto& b : f) {
      seed = seed * 1103515245 + 12345;
      // mostly plain pairs, with the leading bytes often empty so that values stay small
      b = (seed >> 16) % 3 == 0 ? values[(seed >> 8) % std::size(values)] : static_cast<uint8_t>(1 + (seed >> 20) % 3);
    }
    ASSERT_EQ(BlockLengthField(f), DecodeDigitPairs(f, 8))
        << int(f[0]) << " " << int(f[1]) << " " << int(f[2]) << " " << int(f[3]) << " " << int(f[4]) << " "
        << int(f[5]) << " " << int(f[6]) << " " << int(f[7]);
  }
}

TEST(SkinBlocks, TerminatorScan) {
  struct Case {
    std::string file;
    int64_t start;
  } cases[] = {
      {"a\r\n\x1A[END]\r\nP000", 11},
      {"a\r\n\x1A[end]\r\n", 11},
      {"\x1A[EN]\r\n\x1A[END]\r\n", 15},   // the text part stops at the first Ctrl-Z only
      {"\x1A\x1A[END]\r\n", -1},          // the five bytes after a Ctrl-Z are passed over
      {"abc\x1A[EN", -1},
      {"no terminator", -1},
  };
  for (const auto& c : cases) {
    MemorySkinInput in(c.file);
    EXPECT_EQ(FindBlockPart(in), c.start) << c.file;
  }
}

TEST(SkinBlocks, BlockPastTheEndEndsTheBlockPart) {
  std::string text = Lines({"[按钮]", "父窗口=0"});
  std::string file = Built(text, {{"0000", "BMnormal"}, {"0001", "BMhover"}, {"0002", "BMpressed"}});
  SkinDesc whole = Parse(file);
  EXPECT_EQ(Ctrl(whole, 0).pictures.size(), 3u);
  SkinDesc cut = Parse(file.substr(0, file.size() - 1));
  ASSERT_EQ(Ctrl(cut, 0).pictures.size(), 2u);
  EXPECT_EQ(PictureOf(file, Ctrl(cut, 0), 1), "BMhover");
  EXPECT_EQ(PictureOf(file, Ctrl(cut, 0), 2), "-");
  SkinDesc headerCut = Parse(file.substr(0, file.size() - 9 - 12 + 5));
  EXPECT_EQ(Ctrl(headerCut, 0).pictures.size(), 2u);
}

TEST(SkinBlocks, TagsReachTheirTargets) {
  std::string text = Lines({"[按钮]", "父窗口=0",                 // 0
                            "[扩展窗口]", "类型=EQ均衡",         // not numbered
                            "[状态指示]", "父窗口=0", "状态=13",  // 1, inert
                            "[扩展窗口]", "类型=频谱",           // not numbered
                            "[音量控制]", "父窗口=0",             // 2
                            "[歌曲编号]", "父窗口=2",             // 3
                            "[循环控制]", "父窗口=1"});           // 4
  std::string file = Built(text, {{"0000", "b0"},  {"0005", "b5"},   {"0010", "inert"}, {"0020", "track"},
                                  {"0021", "thumb"}, {"0023", "thumbDown"}, {"003a", "blank"},
                                  {"004Z", "zero"}, {"004F", "fifteen"}, {"005", "short"},  {"0050", "none"},
                                  {"P001", "eqBack"}, {"P003", "nowin"}, {"EQ00", "eqTrack"},
                                  {"EQ01", "eqThumb"}, {"EQ02", "eqDown"}, {"EQ03", "x"}, {"EQWP", "spec"},
                                  {"LYWP", "lyr"}, {"p002", "lower"}, {"XYZW", "?"}});
  SkinDesc d = Parse(file);
  ASSERT_EQ(Kinds(d), (std::vector<uint8_t>{kKindButton, kKindEqualiser, kKindInert, kKindSpectrum, kKindVolume,
                                            kKindSongNumber, kKindRepeat}));
  EXPECT_EQ(PictureOf(file, Ctrl(d, 0), 0), "b0");
  EXPECT_EQ(PictureOf(file, Ctrl(d, 0), 5), "b5");
  EXPECT_EQ(PictureOf(file, Ctrl(d, 2), 0), "inert");
  EXPECT_EQ(PictureOf(file, Ctrl(d, 4, 1), 0), "track");
  EXPECT_EQ(PictureOf(file, Ctrl(d, 4, 0), 0), "thumb");
  EXPECT_EQ(PictureOf(file, Ctrl(d, 4, 0), 2), "thumbDown");
  EXPECT_EQ(Ctrl(d, 4, 1).pictures.size(), 1u);
  for (int digit = 0; digit < 3; ++digit) EXPECT_EQ(PictureOf(file, Ctrl(d, 5, digit), 10), "blank");
  EXPECT_EQ(PictureOf(file, Ctrl(d, 6), 0), "zero");
  EXPECT_EQ(PictureOf(file, Ctrl(d, 6), 15), "fifteen");
  EXPECT_EQ(Ctrl(d, 6).pictures.size(), 2u);
  EXPECT_EQ(PictureOf(file, Ctrl(d, 1, 25), 0), "eqTrack");
  EXPECT_EQ(PictureOf(file, Ctrl(d, 1, 5), 0), "eqThumb");
  EXPECT_EQ(PictureOf(file, Ctrl(d, 1, 5), 2), "eqDown");
  EXPECT_EQ(Ctrl(d, 1, 25).pictures.size(), 1u);
  EXPECT_EQ(PictureOf(file, Ctrl(d, 3), 0), "spec");
  EXPECT_TRUE(d.windows[1].hasBackground);
  EXPECT_FALSE(d.windows[2].hasBackground);
  EXPECT_FALSE(d.hasLyricsBackground);  // no lyrics window
  MemorySkinInput in(file);
  std::string back;
  ASSERT_TRUE(ReadPicture(in, d.windows[1].background, back));
  EXPECT_EQ(back, "eqBack");
}

TEST(SkinBlocks, EqualiserTagsNeedAnEqualiser) {
  std::string file = Built(Lines({"[扩展窗口]", "类型=歌词", "[按钮]", "父窗口=1"}),
                           {{"EQ00", "t"}, {"EQ01", "u"}, {"LYWP", "lyrics"}, {"EQWP", "w"}});
  SkinDesc d = Parse(file);
  EXPECT_TRUE(Ctrl(d, 0).pictures.empty());
  ASSERT_TRUE(d.hasLyricsBackground);
  MemorySkinInput in(file);
  std::string back;
  ASSERT_TRUE(ReadPicture(in, d.lyricsBackground, back));
  EXPECT_EQ(back, "lyrics");
}

TEST(SkinBlocks, RegionDataIsCheckedBeforeUse) {
  std::string good = MakeRegionData({{0, 0, 10, 5}, {2, 5, 8, 9}});
  std::string wrongCount = good;
  wrongCount[8] = 3;  // three rectangles claimed, two present
  std::string wrongType = good;
  wrongType[4] = 2;
  std::string wrongSize = good;
  wrongSize[0] = 31;
  std::string noBuffer = good;
  noBuffer[12] = 0;  // a zero buffer size is allowed
  struct Case {
    std::string data;
    bool used;
  } cases[] = {{good, true},       {noBuffer, true},         {wrongCount, false},
               {wrongType, false}, {wrongSize, false},       {good.substr(0, 31), false},
               {good + "xx", true}, {std::string(32, '\0'), false}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsRegionData(c.data), c.used);
    std::string file = Built("", {{"M000", c.data}});
    SkinDesc d = Parse(file);
    EXPECT_EQ(d.windows[0].shape, c.used ? c.data : std::string());
  }
  EXPECT_EQ(RegionRects(good), (std::vector<RegionRect>{{0, 0, 10, 5}, {2, 5, 8, 9}}));
}

TEST(SkinBlocks, OutlinesAreBounded) {
  std::string big = MakeRegionData(std::vector<RegionRect>((kMaxShapeBytes - 32) / 16 + 1, {0, 0, 1, 1}));
  std::string large = MakeRegionData(std::vector<RegionRect>((7 << 20) / 16, {0, 0, 1, 1}));
  std::string text;
  for (int i = 0; i < 5; ++i) text += "[扩展窗口]\r\n";
  // window 0: too big alone; windows 1-5: seven MiB each, which passes the total at the fifth;
  // a second outline of window 1 replaces its first within the total
  std::vector<SkinBlockData> blocks{{"M000", big}, {"M001", large}, {"M002", large}, {"M003", large},
                                    {"M004", large}, {"M005", large}, {"M001", MakeRegionData({{1, 2, 3, 4}})}};
  SkinDesc d = Parse(Built(text, blocks));
  EXPECT_TRUE(d.windows[0].shape.empty());
  EXPECT_EQ(d.windows[1].shape, blocks.back().data);
  for (int w : {2, 3, 4}) EXPECT_EQ(d.windows[w].shape.size(), large.size()) << w;
  EXPECT_TRUE(d.windows[5].shape.empty());
}

// ------------------------------------------------------------------ skin information

TEST(SkinInfo, FieldsNameAndPreview) {
  std::string text = Lines({"[按钮]", "名称=不是这里", "[外壳信息]", "名称=", "作者=青禾", "主页=http://example.org/",
                            "电子邮件=a@b.c", "icq=123", "OICQ=456", "说明=蓝色的外壳", "[外壳信息2]", "作者=别人"});
  struct Case {
    std::vector<SkinBlockData> blocks;
    std::string preview;
  } cases[] = {{{{"VIEW", "BMview"}, {"P000", "BMmain"}}, "BMview"},
               {{{"P000", "BMmain"}, {"VIEW", "BMview"}}, ""},
               {{}, ""}};
  for (const auto& c : cases) {
    std::string file = Built(text, c.blocks);
    MemorySkinInput in(file);
    TSkinInfo info;
    info.path = "D:\\外壳\\蓝色.v2.eks";
    ASSERT_TRUE(ReadSkinInfo(in, info));
    EXPECT_EQ(info.name, "蓝色.v2");
    EXPECT_EQ(info.author, "青禾");
    EXPECT_EQ(info.homePage, "http://example.org/");
    EXPECT_EQ(info.email, "a@b.c");
    EXPECT_EQ(info.icq, "123");
    EXPECT_EQ(info.oicq, "456");
    EXPECT_EQ(info.description, "蓝色的外壳");
    EXPECT_EQ(info.preview, c.preview);
  }
  TSkinInfo missing;
  missing.path = SD_BIN_DIR "no-such-skin.eks";
  EXPECT_FALSE(ReadSkinInfo(missing));
}

// ------------------------------------------------------------------ writer round trips

// The description with everything the block part adds taken out.
SkinDesc TextOnly(SkinDesc d) {
  for (auto& c : d.controls) c.pictures.clear();
  for (auto& w : d.windows) {
    w.hasBackground = false;
    w.background = {};
    w.shape.clear();
  }
  d.hasLyricsBackground = false;
  d.lyricsBackground = {};
  d.terminatorFound = false;
  d.blockStart = -1;
  return d;
}

TEST(SkinWriter, SmallSkinsReadBack) {
  struct Case {
    std::string text;
    std::vector<SkinBlockData> blocks;
    // control index, picture state, expected bytes
    std::vector<std::tuple<int, int, std::string>> pictures;
  } cases[] = {
      {"", {}, {}},
      {Lines({"[按钮]", "父窗口=0", "命令=#Play"}), {{"0000", "BM1"}, {"0001", ""}, {"0002", std::string(5000, 'x')}},
       {{0, 0, "BM1"}, {0, 1, ""}, {0, 2, std::string(5000, 'x')}}},
      {"[按钮]\n父窗口=0", {{"0000", std::string("\x1A[END]\r\n", 8)}}, {{0, 0, std::string("\x1A[END]\r\n", 8)}}},
      {Lines({"[播放位置]", "父窗口=0", "[时间显示]", "父窗口=0", "字体=宋体,[],&H0,9,134"}),
       {{"0000", "track"}, {"0001", "thumb"}, {"0010", "label"}},
       {{1, 0, "track"}, {0, 0, "thumb"}, {2, 0, "label"}}},
  };
  for (const auto& c : cases) {
    std::string file = Built(c.text, c.blocks);
    SkinDesc d = Parse(file);
    EXPECT_TRUE(d.terminatorFound);
    SkinDesc fromText = Parse(c.text);
    EXPECT_EQ(TextOnly(d), TextOnly(fromText)) << c.text;
    for (const auto& [ctrl, state, bytes] : c.pictures) EXPECT_EQ(PictureOf(file, d.controls.at(ctrl), state), bytes);
  }
}

TEST(SkinWriter, RefusesWhatCannotBeRead) {
  std::string out, error;
  EXPECT_FALSE(BuildSkinFile("a\x1A" "b", {}, out, error));
  EXPECT_FALSE(BuildSkinFile("", {{"TOOLONG", "x"}}, out, error));
  EXPECT_FALSE(BuildSkinFile("", {{"", "x"}}, out, error));
  EXPECT_FALSE(BuildSkinFile("", {{"A B", "x"}}, out, error));
  EXPECT_TRUE(BuildSkinFile("", {{"ABC", "x"}}, out, error));
}

TEST(SkinWriter, MaskToRectangles) {
  // A 6x5 mask: a plus sign with a hole row.
  const char* rows[] = {"..##..", "######", "######", "......", "#....#"};
  auto inside = [&](int x, int y) { return rows[y][x] == '#'; };
  std::vector<RegionRect> rects = MaskToRects(6, 5, inside);
  EXPECT_EQ(rects, (std::vector<RegionRect>{{2, 0, 4, 1}, {0, 1, 6, 3}, {0, 4, 1, 5}, {5, 4, 6, 5}}));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      bool in = false;
      for (const auto& r : rects) in |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      EXPECT_EQ(in, inside(x, y)) << x << "," << y;
    }
  EXPECT_TRUE(IsRegionData(MakeRegionData(rects)));
  EXPECT_TRUE(IsRegionData(MakeRegionData({})));
}

TEST(SkinWriter, BitmapPixels) {
  std::vector<uint32_t> px = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};
  std::string bmp = MakeBmp24(3, 2, px);
  int w = 0, h = 0;
  std::vector<uint32_t> back;
  ASSERT_TRUE(ReadBmpPixels(bmp, w, h, back));
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(back, px);
  EXPECT_FALSE(ReadBmpPixels(bmp.substr(0, bmp.size() - 1), w, h, back));
  EXPECT_FALSE(ReadBmpPixels("BM", w, h, back));
}

// ------------------------------------------------------------------ bitmaps

// A bitmap file with an info header of hdrSize bytes, paletteBytes of tables after it and
// pixelBytes of pixels.
std::string Bmp(uint32_t hdrSize, int32_t w, int32_t h, uint16_t bits, uint32_t compression, uint32_t clrUsed,
                size_t paletteBytes, size_t pixelBytes) {
  auto put32 = [](std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
  };
  auto put16 = [](std::string& s, uint16_t v) {
    s += static_cast<char>(v);
    s += static_cast<char>(v >> 8);
  };
  uint32_t off = 14 + hdrSize + static_cast<uint32_t>(paletteBytes);
  std::string s = "BM";
  put32(s, off + static_cast<uint32_t>(pixelBytes));
  put32(s, 0);
  put32(s, off);
  put32(s, hdrSize);
  if (hdrSize == 12) {
    put16(s, static_cast<uint16_t>(w));
    put16(s, static_cast<uint16_t>(h));
    put16(s, 1);
    put16(s, bits);
  } else {
    put32(s, static_cast<uint32_t>(w));
    put32(s, static_cast<uint32_t>(h));
    put16(s, 1);
    put16(s, bits);
    put32(s, compression);
    put32(s, static_cast<uint32_t>(pixelBytes));
    put32(s, 2835);
    put32(s, 2835);
    put32(s, clrUsed);
    put32(s, 0);
    s.resize(14 + hdrSize, '\0');
  }
  s.append(paletteBytes + pixelBytes, '\x11');
  return s;
}

TEST(SkinBitmaps, HeadersMustAgreeWithTheBytes) {
  std::string plain = MakeBmp24(3, 2, std::vector<uint32_t>(6, 0x123456));
  auto with32 = [](std::string s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
    return s;
  };
  auto with16 = [](std::string s, size_t at, uint16_t v) {
    s[at] = static_cast<char>(v);
    s[at + 1] = static_cast<char>(v >> 8);
    return s;
  };
  struct Case {
    const char* what;
    std::string bmp;
    bool ok;
  } cases[] = {
      {"24-bit", plain, true},
      {"pixels cut", plain.substr(0, plain.size() - 1), false},
      {"not BM", "XM" + plain.substr(2), false},
      {"width 0", with32(plain, 18, 0), false},
      {"height 0", with32(plain, 22, 0), false},
      {"top-down", with32(plain, 22, static_cast<uint32_t>(-2)), true},
      {"too wide", with32(plain, 18, 20000), false},
      {"two planes", with16(plain, 26, 2), false},
      {"7 bits", with16(plain, 28, 7), false},
      {"RLE of 24 bits", with32(plain, 30, 1), false},
      {"unknown compression", with32(plain, 30, 9), false},
      {"pixels inside the header", with32(plain, 10, 20), false},
      {"pixels past the end", with32(plain, 10, static_cast<uint32_t>(plain.size())), false},
      {"odd header size", with32(plain, 14, 41), false},
      {"8-bit, full palette", Bmp(40, 3, 2, 8, 0, 0, 1024, 8), true},
      {"8-bit, palette cut", Bmp(40, 3, 2, 8, 0, 0, 1020, 8), false},
      {"8-bit, two colours", Bmp(40, 3, 2, 8, 0, 2, 8, 8), true},
      {"8-bit, too many colours", Bmp(40, 3, 2, 8, 0, 300, 1200, 8), false},
      {"1-bit", Bmp(40, 33, 1, 1, 0, 0, 8, 8), true},
      {"1-bit, short row", Bmp(40, 33, 1, 1, 0, 0, 8, 7), false},
      {"RLE8", Bmp(40, 100, 100, 8, 1, 0, 1024, 10), true},
      {"RLE8 top-down", Bmp(40, 100, -100, 8, 1, 0, 1024, 10), false},
      {"32-bit bit fields", Bmp(40, 2, 2, 32, 3, 0, 12, 16), true},
      {"32-bit bit fields without masks", Bmp(40, 2, 2, 32, 3, 0, 0, 16), false},
      {"core header", Bmp(12, 1, 1, 24, 0, 0, 0, 4), true},
      {"version 5 header", Bmp(124, 2, 2, 24, 0, 0, 0, 16), true},
      {"header cut", Bmp(124, 2, 2, 24, 0, 0, 0, 16).substr(0, 100), false},
  };
  for (const auto& c : cases) {
    BitmapInfo info;
    EXPECT_EQ(CheckBitmap(c.bmp, info), c.ok) << c.what;
  }
  BitmapInfo info;
  ASSERT_TRUE(CheckBitmap(cases[5].bmp, info));
  EXPECT_EQ(info.width, 3);
  EXPECT_EQ(info.height, 2);
  EXPECT_TRUE(info.topDown);
  EXPECT_EQ(info.bits, 24);
  EXPECT_EQ(info.pixelOffset, 54u);
}

// ------------------------------------------------------------------ hostile files

TEST(SkinHostile, TruncatedAndGarbageFilesLoadPartly) {
  std::string text = Lines({"[扩展窗口]", "类型=EQ均衡", "按钮=1,2,3,", "[按钮]", "父窗口=1", "命令=#Play"});
  std::string file = Built(text, {{"0000", "BMx"}, {"P001", "BMy"}, {"M001", MakeRegionData({{0, 0, 1, 1}})}});
  for (size_t n = 0; n <= file.size(); ++n) {
    MemorySkinInput in(std::string_view(file).substr(0, n));
    SkinDesc d;
    EXPECT_TRUE(ParseSkin(in, d));
    ASSERT_GE(d.windows.size(), 1u);
    for (const auto& c : d.controls)
      for (const auto& p : c.pictures) EXPECT_LE(p.offset + p.length, static_cast<int64_t>(n));
  }
  std::string garbage;
  for (int i = 0; i < 20000; ++i) garbage += static_cast<char>((i * 7919) % 251);
  SkinDesc d = Parse(garbage);
  EXPECT_EQ(d.windows[0].type, kWindowMain);
}

TEST(SkinHostile, CountsAreBounded) {
  std::string many = "[扩展窗口]\r\n";
  for (int i = 0; i < 2000; ++i) many += "类型=EQ均衡\r\n";
  SkinDesc d = Parse(many);
  EXPECT_LE(d.controls.size(), kMaxSkinControls);
  EXPECT_EQ(d.bindings.size(), kMaxSkinControls / 40);
  std::string lamps = "[状态指示]\r\n";
  for (size_t i = 0; i < kMaxSkinBindings + 10; ++i) lamps += "父窗口=0\r\n";
  SkinDesc l = Parse(lamps);
  EXPECT_EQ(l.bindings.size(), kMaxSkinBindings);
  std::string longLine = "[文本]\r\n父窗口=0\r\n标题=" + std::string(kMaxSkinLine * 2, 'a') + "\r\n提示=x\r\n";
  SkinDesc t = Parse(longLine);
  EXPECT_EQ(Ctrl(t, 0).caption.size(), kMaxSkinLine - 5);
  EXPECT_EQ(Ctrl(t, 0).tooltip, "x");
}

// ------------------------------------------------------------------ the skins we ship

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

TEST(ShippedSkins, DefaultSkinIsComplete) {
  std::string file = ReadAll(SD_DIST_DIR "default.eks");
  ASSERT_FALSE(file.empty());
  SkinDesc d = Parse(file);
  ASSERT_TRUE(d.terminatorFound);

  // Read from the file as the player does, with the pictures read by offset.
  FileSkinInput onDisk;
  SkinDesc fromDisk;
  ASSERT_TRUE(OpenSkin(SD_DIST_DIR "default.eks", onDisk, fromDisk));
  EXPECT_EQ(fromDisk, d);
  std::string viaFile, viaMemory;
  const PictureRef& back = d.windows[0].background;
  ASSERT_TRUE(ReadPicture(onDisk, back, viaFile));
  MemorySkinInput mem(file);
  ASSERT_TRUE(ReadPicture(mem, back, viaMemory));
  EXPECT_EQ(viaFile, viaMemory);
  EXPECT_GT(viaFile.size(), 2048u * 3);  // read in several pieces
  FileSkinInput missing;
  SkinDesc none;
  EXPECT_FALSE(OpenSkin(SD_BIN_DIR "no-such-skin.eks", missing, none));

  // The same description as its text part, plus the pictures.
  std::string text = ReadAll(SD_BIN_DIR "skins/default/skin.txt");
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(TextOnly(d), TextOnly(Parse(text)));

  // The pictures are the bitmaps the builder was given, each where its tag sends it.
  auto given = [](const char* tag) { return ReadAll(std::string(SD_BIN_DIR "skins/default/") + tag + ".bmp"); };
  auto bytesOf = [&](const PictureRef& p) {
    MemorySkinInput mem(file);
    std::string out;
    EXPECT_TRUE(ReadPicture(mem, p, out));
    return out;
  };
  auto tagged = [&](int number, int part, int state) {
    return PictureOf(file, Ctrl(d, BindingByTagNumber(d, number), part), state);
  };
  struct Where {
    const char* tag;
    std::string got;
  } where[] = {
      {"P000", bytesOf(d.windows[0].background)},
      {"P003", bytesOf(d.windows[3].background)},
      {"0012", tagged(1, 0, 2)},   // play button, pressed
      {"0080", tagged(8, 1, 0)},   // position track
      {"0083", tagged(8, 0, 2)},   // position thumb, pressed
      {"00B4", tagged(11, 0, 4)},  // repeat on, under the pointer
      {"00FA", tagged(15, 1, 10)}, // the blank digit
      {"0191", tagged(25, 0, 1)},  // automatic preset lamp, lit
      {"EQ00", PictureOf(file, Ctrl(d, FindBinding(d, kKindEqualiser, 0), 27), 0)},
      {"EQ02", PictureOf(file, Ctrl(d, FindBinding(d, kKindEqualiser, 0), 7), 2)},
      {"EQWP", PictureOf(file, Ctrl(d, FindBinding(d, kKindSpectrum, 0)), 0)},
      {"LYWP", bytesOf(d.lyricsBackground)},
  };
  for (const auto& w : where) {
    std::string want = given(w.tag);
    EXPECT_FALSE(want.empty()) << w.tag;
    EXPECT_TRUE(w.got == want) << w.tag;
  }

  // Every picture is a whole bitmap file in the skin.
  MemorySkinInput in(file);
  auto isBitmap = [&](const PictureRef& p) {
    std::string bytes;
    BitmapInfo info;
    return ReadPicture(in, p, bytes) && CheckBitmap(bytes, info);
  };
  for (const auto& c : d.controls)
    for (const auto& p : c.pictures) EXPECT_TRUE(isBitmap(p)) << c.index;
  for (const auto& w : d.windows) {
    EXPECT_TRUE(w.hasBackground) << w.index;
    if (w.hasBackground) {
      EXPECT_TRUE(isBitmap(w.background)) << w.index;
    }
  }
  ASSERT_TRUE(d.hasLyricsBackground);
  EXPECT_TRUE(isBitmap(d.lyricsBackground));

  // A free-form outline for the main window.
  ASSERT_TRUE(IsRegionData(d.windows[0].shape));
  EXPECT_GT(RegionRects(d.windows[0].shape).size(), 4u);
  EXPECT_TRUE(IsRegionData(d.windows[2].shape));  // the spectrum window's rounded corners

  // What a player's face needs.
  auto has = [&](uint8_t kind, int n = 1) { return FindBinding(d, kind, n - 1) >= 0; };
  EXPECT_TRUE(has(kKindButton, 6));
  for (uint8_t k : {kKindPlayState, kKindPauseState, kKindVolume, kKindBalance, kKindPosition, kKindRepeat,
                    kKindShuffle, kKindEqualiser, kKindSpectrum, kKindTime, kKindTitle, kKindSongNumber, kKindLyricsStrip})
    EXPECT_TRUE(has(k)) << int(k);
  for (int lamp : {0, 1, 2, 6, 7, 12}) EXPECT_TRUE(has(static_cast<uint8_t>(kKindFirstLamp + lamp))) << lamp;
  std::vector<std::string> verbs;
  for (int n = 0; FindBinding(d, kKindButton, n) >= 0; ++n) {
    const SkinCtrl& b = Ctrl(d, FindBinding(d, kKindButton, n));
    verbs.push_back(b.verb);
    for (int s : {0, 1, 2}) EXPECT_NE(PictureOf(file, b, s), "-") << b.verb << " " << s;
    EXPECT_FALSE(b.tooltip.empty());
  }
  for (const char* v : {"#Play", "#Pause", "#Stop", "#Prev", "#Next", "#Open"})
    EXPECT_NE(std::find(verbs.begin(), verbs.end(), v), verbs.end()) << v;
  for (uint8_t k : {kKindPlayState, kKindPauseState})
    for (int s : {0, 1, 2}) EXPECT_NE(PictureOf(file, Ctrl(d, FindBinding(d, k, 0)), s), "-");
  for (uint8_t k : {kKindRepeat, kKindShuffle})
    for (int s = 0; s < 6; ++s) EXPECT_NE(PictureOf(file, Ctrl(d, FindBinding(d, k, 0)), s), "-");
  for (int s = 0; s <= 10; ++s) EXPECT_NE(PictureOf(file, Ctrl(d, FindBinding(d, kKindSongNumber, 0), 2), s), "-");
  for (uint8_t k : {kKindVolume, kKindBalance, kKindPosition}) {
    int row = FindBinding(d, k, 0);
    EXPECT_NE(PictureOf(file, Ctrl(d, row, 0), 0), "-");
    EXPECT_NE(PictureOf(file, Ctrl(d, row, 1), 0), "-");
  }

  // Extension windows: equaliser with 20 placed bands, spectrum and lyrics.
  std::vector<uint8_t> types;
  for (const auto& w : d.windows) types.push_back(w.type);
  EXPECT_EQ(types, (std::vector<uint8_t>{kWindowMain, kWindowEqualiser, kWindowSpectrum, kWindowLyrics}));
  int eq = FindBinding(d, kKindEqualiser, 0);
  for (int band = 1; band < 20; ++band) {
    EXPECT_GT(Ctrl(d, eq, band).left, Ctrl(d, eq, band - 1).left);
    EXPECT_NE(PictureOf(file, Ctrl(d, eq, band), 0), "-");
    EXPECT_NE(PictureOf(file, Ctrl(d, eq, band + 20), 0), "-");
  }
  EXPECT_NE(PictureOf(file, Ctrl(d, FindBinding(d, kKindSpectrum, 0)), 0), "-");
  EXPECT_TRUE(d.windows[3].lyricsView.exists);
  EXPECT_GT(d.windows[3].lyricsView.width, 0);

  TSkinInfo info;
  info.path = SD_DIST_DIR "default.eks";
  ASSERT_TRUE(ReadSkinInfo(info));
  EXPECT_NE(info.name, "default");
  EXPECT_FALSE(info.author.empty());
  EXPECT_GT(info.preview.size(), 54u);
}

TEST(ShippedSkins, SkinsFolderHoldsReadableSkins) {
  const char* names[] = {"Skins/mini.eks"};
  for (const char* n : names) {
    std::string file = ReadAll(std::string(SD_DIST_DIR) + n);
    ASSERT_FALSE(file.empty()) << n;
    SkinDesc d = Parse(file);
    EXPECT_TRUE(d.terminatorFound);
    EXPECT_TRUE(d.windows[0].hasBackground);
    EXPECT_GE(FindBinding(d, kKindButton, 3), 0);
    EXPECT_TRUE(IsRegionData(d.windows[0].shape));
  }
}

}  // namespace
}  // namespace sd
