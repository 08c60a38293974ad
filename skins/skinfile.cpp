#include "skins/skinfile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>

#include "core/digitpairs.h"
#include "core/text.h"

namespace sd {

// ---------------------------------------------------------------- inputs

int64_t MemorySkinInput::ReadAt(int64_t offset, void* buf, size_t n) {
  if (offset < 0) return -1;
  if (offset >= Size()) return 0;
  size_t avail = data_.size() - static_cast<size_t>(offset);
  size_t k = std::min(n, avail);
  std::memcpy(buf, data_.data() + offset, k);
  return static_cast<int64_t>(k);
}

static bool SeekTo(FILE* f, int64_t offset) {
#ifdef _WIN32
  return _fseeki64(f, offset, SEEK_SET) == 0;
#else
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool FileSkinInput::Open(const std::string& path) {
  Close();
  f_ = std::fopen(path.c_str(), "rb");
  if (!f_) return false;
#ifdef _WIN32
  bool ok = _fseeki64(f_, 0, SEEK_END) == 0;
  size_ = ok ? _ftelli64(f_) : -1;
#else
  bool ok = fseeko(f_, 0, SEEK_END) == 0;
  size_ = ok ? static_cast<int64_t>(ftello(f_)) : -1;
#endif
  if (size_ < 0) {
    Close();
    return false;
  }
  return true;
}

void FileSkinInput::Close() {
  if (f_) std::fclose(f_);
  f_ = nullptr;
  size_ = 0;
}

int64_t FileSkinInput::ReadAt(int64_t offset, void* buf, size_t n) {
  if (!f_ || offset < 0) return -1;
  if (offset >= size_) return 0;
  if (!SeekTo(f_, offset)) return -1;
  size_t got = std::fread(buf, 1, n, f_);
  if (got < n && std::ferror(f_)) {
    std::clearerr(f_);
    return -1;
  }
  return static_cast<int64_t>(got);
}

// ---------------------------------------------------------------- text part

namespace {

constexpr char kCtrlZ = 0x1A;

// Calls fn for each line of the text part; fn returns false to stop. False on a read error.
bool ForEachTextLine(SkinInput& in, const std::function<bool(const std::string&)>& fn) {
  std::string line;  // bytes past kMaxSkinLine are dropped up to the end of the line
  bool afterCr = false;  // a CR ended the last line: a LF right after belongs to it
  char buf[65536];
  int64_t pos = 0;
  auto emit = [&]() {
    bool go = true;
    if (UpperAscii(line) != "#26[END]") go = fn(line);
    else go = false;
    line.clear();
    return go;
  };
  for (;;) {
    int64_t got = in.ReadAt(pos, buf, sizeof buf);
    if (got < 0) return false;
    if (got == 0) break;
    for (int64_t i = 0; i < got; ++i) {
      char c = buf[i];
      if (c == kCtrlZ) {
        if (!line.empty()) emit();
        return true;
      }
      if (c == '\n' && afterCr) {
        afterCr = false;
        continue;
      }
      afterCr = false;
      if (c == '\r' || c == '\n') {
        afterCr = c == '\r';
        if (!emit()) return true;
        continue;
      }
      if (line.size() < kMaxSkinLine) line += c;
    }
    pos += got;
  }
  if (!line.empty()) emit();
  return true;
}

// A trimmed line split into its meaning.
struct LineInfo {
  enum Type { Ignored, Header, Key } type = Ignored;
  std::string name;  // section name or key
  std::string value;
};

LineInfo ClassifyLine(const std::string& raw) {
  LineInfo r;
  std::string t = Trim(raw);
  if (t.empty()) return r;
  if (t[0] == '[' && EndsWithChar(t, ']')) {
    r.type = LineInfo::Header;
    r.name = t.substr(1, t.size() - 2);
    return r;
  }
  size_t eq = FindChar(t, '=');
  if (eq == std::string::npos) return r;
  r.type = LineInfo::Key;
  r.name = UpperAscii(Trim(t.substr(0, eq)));
  r.value = Trim(t.substr(eq + 1));
  return r;
}

int32_t IntValue(const std::string& v, int32_t def) {
  int32_t out;
  return TryTextToInt(v, out) ? out : def;
}

struct SectionKind {
  const char* name;
  uint8_t kind;
};
const SectionKind kControlSections[] = {
    {"按钮", kKindButton},       {"文本", kKindText},         {"播放状态", kKindPlayState},
    {"暂停状态", kKindPauseState}, {"状态指示", kKindStatusLamp}, {"音量控制", kKindVolume},
    {"平衡控制", kKindBalance},   {"播放位置", kKindPosition},   {"循环控制", kKindRepeat},
    {"随机播放", kKindShuffle},   {"歌词显示", kKindLyricsStrip}, {"时间显示", kKindTime},
    {"标题显示", kKindTitle},     {"歌曲编号", kKindSongNumber},
};

const char* const kLampVerbs[13] = {"#FileManage", "#Lyrics", "#EQPro",     "#ID3",       "#Setup",
                                    "#List",       "#OnTop",  "#Visual",    "#Url",       "#EQEnabled",
                                    "#EQAutoSet",  "#Lyrics", "#Silent"};

void SetParam(TCtrlType& b, const char* name, int32_t value) {
  for (size_t i = 0; i < b.paramNames.size(); ++i)
    if (TextEquals(b.paramNames[i], name)) {
      b.paramValues[i] = value;
      return;
    }
  b.paramNames.push_back(name);
  b.paramValues.push_back(value);
}

void AddPicture(SkinCtrl& c, int64_t offset, int32_t length, int state) {
  for (const auto& p : c.pictures)
    if (p.state == state) return;  // only the first picture of a state is ever selected
  c.pictures.push_back(PictureRef{offset, length, state});
}

void AddFont(SkinCtrl& c, int state, const std::string& text) {
  for (const auto& f : c.fonts)
    if (f.state == state) return;
  c.fonts.push_back(FontEntry{state, text});
}

class TextParser {
 public:
  explicit TextParser(SkinDesc& d) : d_(d) {}

  void Line(const std::string& raw) {
    LineInfo li = ClassifyLine(raw);
    if (li.type == LineInfo::Header) Header(li.name);
    else if (li.type == LineInfo::Key && !abandoned_) Key(li.name, li.value);
  }

 private:
  enum class Sec { None, Control, Window, Spectrum, Lyrics };

  void Header(const std::string& name) {
    sec_ = Sec::None;
    abandoned_ = false;
    binding_ = -1;
    window_ = -1;
    target_ = -1;
    eqTypeSeen_ = false;
    for (const auto& s : kControlSections)
      if (name == s.name) {
        sec_ = Sec::Control;
        kind_ = s.kind;
        return;
      }
    if (name == "扩展窗口") {
      if (d_.windows.size() >= kMaxSkinWindows) return;
      SkinWindow w;
      w.index = static_cast<int>(d_.windows.size());
      w.type = kWindowCustom;
      d_.windows.push_back(w);
      window_ = w.index;
      sec_ = Sec::Window;
    } else if (name == "频谱") {
      // The view of the first spectrum window declared so far.
      for (const auto& w : d_.windows)
        if (w.type == kWindowSpectrum && static_cast<size_t>(w.index) < viewOf_.size() &&
            viewOf_[w.index] >= 0) {
          target_ = viewOf_[w.index];
          break;
        }
      if (target_ >= 0) sec_ = Sec::Spectrum;
    } else if (name == "歌词") {
      for (const auto& w : d_.windows)
        if (w.type == kWindowLyrics && w.lyricsView.exists) {
          window_ = w.index;
          break;
        }
      if (window_ >= 0) sec_ = Sec::Lyrics;
    }
  }

  // A binding of kind k with its controls in window w; -1 when the bounds are reached.
  int NewBinding(uint8_t k, int w, CtrlClass cls, int count) {
    if (d_.bindings.size() >= kMaxSkinBindings ||
        d_.controls.size() + static_cast<size_t>(count) > kMaxSkinControls)
      return -1;
    TCtrlType b;
    b.kind = k;
    int row = static_cast<int>(d_.bindings.size());
    for (int i = 0; i < count; ++i) {
      SkinCtrl c;
      c.index = static_cast<int>(d_.controls.size());
      c.window = w;
      c.binding = row;
      c.cls = cls;
      b.controls.push_back(c.index);
      d_.controls.push_back(std::move(c));
    }
    d_.bindings.push_back(std::move(b));
    return row;
  }

  void Key(const std::string& key, const std::string& v) {
    switch (sec_) {
      case Sec::Control: ControlKey(key, v); break;
      case Sec::Window: WindowKey(key, v); break;
      case Sec::Spectrum: SpectrumKey(key, v); break;
      case Sec::Lyrics: LyricsKey(key, v); break;
      case Sec::None: break;
    }
  }

  void ForEachCtrl(int row, const std::function<void(SkinCtrl&)>& fn) {
    for (int i : d_.bindings[row].controls) fn(d_.controls[i]);
  }

  bool CommonKey(int row, const std::string& key, const std::string& v) {
    if (key == "透明") {
      bool t = v != "0";
      ForEachCtrl(row, [&](SkinCtrl& c) { c.transparent = t; });
    } else if (key == "命令") {
      std::string verb, arg;
      SplitCommandText(v, verb, arg);
      ForEachCtrl(row, [&](SkinCtrl& c) {
        c.verb = verb;
        c.argument = arg;
      });
    } else if (key == "提示") {
      ForEachCtrl(row, [&](SkinCtrl& c) { c.tooltip = v; });
    } else if (key == "位置[X]") {
      int x = IntValue(v, 0);
      ForEachCtrl(row, [&](SkinCtrl& c) { c.left = x; });
    } else if (key == "位置[Y]") {
      int y = IntValue(v, 0);
      ForEachCtrl(row, [&](SkinCtrl& c) { c.top = y; });
    } else {
      return false;
    }
    return true;
  }

  void ControlKey(const std::string& key, const std::string& v) {
    if (key == "父窗口") {
      int32_t w;
      if (!TryTextToInt(v, w) || w < 0 || static_cast<size_t>(w) >= d_.windows.size()) {
        abandoned_ = true;
        return;
      }
      CtrlClass cls = CtrlClass::Picture;
      int count = 1;
      switch (kind_) {
        case kKindText:
        case kKindTime: cls = CtrlClass::Label; break;
        case kKindLyricsStrip:
        case kKindTitle: cls = CtrlClass::PaintBox; break;
        case kKindVolume:
        case kKindBalance:
        case kKindPosition: count = 2; break;
        case kKindSongNumber: count = 3; break;
        default: break;
      }
      binding_ = NewBinding(kind_, w, cls, count);
      if (binding_ < 0) abandoned_ = true;
      return;
    }
    if (binding_ < 0) {  // a key before the section's window
      abandoned_ = true;
      return;
    }
    TCtrlType& b = d_.bindings[binding_];
    SkinCtrl& first = d_.controls[b.controls[0]];
    if (kind_ == kKindSongNumber) {
      if (key == "位置[X]") SetParam(b, "位置[X]", IntValue(v, 0));
      else if (key == "位置[Y]") SetParam(b, "位置[Y]", IntValue(v, 0));
      return;
    }
    if (CommonKey(binding_, key, v)) return;
    switch (kind_) {
      case kKindText:
        if (key == "颜色") {
          first.hasColor = true;
          first.color = TextToColor(v, 0);
        } else if (key == "标题") {
          first.caption = v;
        } else if (key == "字体[0]" || key == "字体[1]" || key == "字体[2]") {
          AddFont(first, key[key.size() - 2] - '0', v);
        }
        break;
      case kKindStatusLamp: {
        if (key != "状态") break;
        int32_t s = IntValue(v, 0);
        if (s >= 0 && s <= 12) {
          b.kind = static_cast<uint8_t>(kKindFirstLamp + s);
          first.verb = kLampVerbs[s];
        } else {
          b.kind = kKindInert;
          first.verb.clear();
        }
        first.argument.clear();
        break;
      }
      case kKindVolume:
      case kKindBalance:
      case kKindPosition:
        if (key == "方向") SetParam(b, "方向", TextEquals(v, "纵向") ? 1 : 0);
        else if (key == "类型") SetParam(b, "类型", TextEquals(v, "拉伸") ? 1 : 0);
        break;
      case kKindLyricsStrip:
      case kKindTime:
      case kKindTitle:
        if (key == "字体") {
          AddFont(first, 0, v);
        } else if (key == "颜色" && kind_ != kKindTitle) {
          first.hasColor = true;
          first.color = TextToColor(v, 0);
        } else if (key == "显示颜色" && kind_ == kKindLyricsStrip) {
          SetParam(b, "显示颜色", static_cast<int32_t>(TextToColor(v, 0)));
        } else if (key == "宽度" && kind_ != kKindTime) {
          SetParam(b, "宽度", IntValue(v, 0));
        }
        break;
      default: break;
    }
  }

  void WindowKey(const std::string& key, const std::string& v) {
    SkinWindow& w = d_.windows[window_];
    if (key == "类型") {
      if (TextEquals(v, "EQ均衡")) {
        w.type = kWindowEqualiser;
        eqTypeSeen_ = true;
        int row = NewBinding(kKindEqualiser, window_, CtrlClass::Picture, 40);
        if (firstEq_ < 0) firstEq_ = row;
      } else if (TextEquals(v, "频谱")) {
        w.type = kWindowSpectrum;
        int row = NewBinding(kKindSpectrum, window_, CtrlClass::PaintBox, 1);
        if (viewOf_.size() <= static_cast<size_t>(window_)) viewOf_.resize(window_ + 1, -1);
        if (viewOf_[window_] < 0) viewOf_[window_] = row;
      } else if (TextEquals(v, "选择")) {
        w.type = kWindowSelect;
      } else if (TextEquals(v, "文件")) {
        w.type = kWindowFiles;
      } else if (TextEquals(v, "自定义")) {
        w.type = kWindowCustom;
      } else if (TextEquals(v, "歌词")) {
        w.type = kWindowLyrics;
        w.lyricsView.exists = true;
      }
    } else if (key == "展开方式") {
      switch (IntValue(v, 3)) {
        case 1: w.expandMode = kExpandHorizontalSlide; break;
        case 2: w.expandMode = kExpandHorizontalGrow; break;
        case 3: w.expandMode = kExpandVerticalSlide; break;
        case 4: w.expandMode = kExpandVerticalGrow; break;
        default: w.expandMode = kExpandShowHide; break;
      }
    } else if (key == "展开速度") {
      w.expandSpeed = std::clamp(IntValue(v, 1), 1, 20);
    } else if (key == "移动量[X]") {
      w.moveX = IntValue(v, 0);
    } else if (key == "移动量[Y]") {
      w.moveY = IntValue(v, 0);
    } else if (key == "位置[X]") {
      w.left = IntValue(v, 0);
    } else if (key == "位置[Y]") {
      w.top = IntValue(v, 0);
    } else if (key == "按钮" && eqTypeSeen_) {
      int row = firstEq_;
      if (row < 0) return;
      int xy[40] = {};
      size_t pos = 0;
      for (int i = 0; i < 40; ++i) {
        size_t comma = FindChar(v, ',', pos);
        if (comma == std::string::npos) break;  // a number without its comma reads as 0
        xy[i] = IntValue(Trim(v.substr(pos, comma - pos)), 0);
        pos = comma + 1;
      }
      const auto& ctrls = d_.bindings[row].controls;
      for (int band = 0; band < 20; ++band)
        for (int part : {band, band + 20}) {
          SkinCtrl& c = d_.controls[ctrls[part]];
          c.left = xy[2 * band];
          c.top = xy[2 * band + 1];
        }
    }
  }

  void SpectrumKey(const std::string& key, const std::string& v) {
    TCtrlType& b = d_.bindings[target_];
    if (key == "颜色") {
      SkinCtrl& c = d_.controls[b.controls[0]];
      c.hasColor = true;
      c.color = TextToColor(v, 0);
    } else if (key == "宽度") {
      SetParam(b, "宽度", IntValue(v, 240));
    } else if (key == "高度") {
      SetParam(b, "高度", IntValue(v, 120));
    } else {
      CommonKey(target_, key, v);
    }
  }

  void LyricsKey(const std::string& key, const std::string& v) {
    LyricsViewDesc& lv = d_.windows[window_].lyricsView;
    if (key == "宽度") lv.width = IntValue(v, 240);
    else if (key == "高度") lv.height = IntValue(v, 120);
    else if (key == "提示") lv.tooltip = v;
    else if (key == "位置[X]") lv.left = IntValue(v, 0);
    else if (key == "位置[Y]") lv.top = IntValue(v, 0);
  }

  SkinDesc& d_;
  Sec sec_ = Sec::None;
  uint8_t kind_ = 0;
  bool abandoned_ = false;
  bool eqTypeSeen_ = false;
  int binding_ = -1;  // newest binding of a control section
  int window_ = -1;   // extension window or lyrics window of the section
  int target_ = -1;   // spectrum view binding of a "频谱" section
  int firstEq_ = -1;  // the first equaliser binding, which takes the band positions
  std::vector<int> viewOf_;  // spectrum view binding of each window, -1 none
};

void ResetDesc(SkinDesc& d) {
  d = SkinDesc();
  SkinWindow main;
  main.index = 0;
  main.type = kWindowMain;
  d.windows.push_back(main);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Three upper-case hexadecimal digits, or -1.
int Hex3(const char* p) {
  int v = 0;
  for (int i = 0; i < 3; ++i) {
    int d = HexDigit(p[i]);
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

}  // namespace

bool ReadSkinTextLines(SkinInput& in, std::vector<std::string>& lines) {
  return ForEachTextLine(in, [&](const std::string& line) {
    lines.push_back(line);
    return true;
  });
}

const char* LampVerb(int state) { return state >= 0 && state <= 12 ? kLampVerbs[state] : ""; }

// ---------------------------------------------------------------- blocks

int64_t FindBlockPart(SkinInput& in) {
  char buf[65536 + 5];
  int64_t pos = 0;  // file offset of buf[0]
  for (;;) {
    int64_t got = in.ReadAt(pos, buf, sizeof buf);
    if (got < 0) return -2;
    if (got == 0) return -1;
    // Ctrl-Z bytes in the first 64 KiB are judged here, with their five bytes in the buffer
    // unless the data ends first; the next read starts after the last one passed over.
    int64_t scanEnd = std::min<int64_t>(got, 65536);
    int64_t i = 0;
    while (i < scanEnd) {
      const void* hit = std::memchr(buf + i, kCtrlZ, static_cast<size_t>(scanEnd - i));
      if (!hit) {
        i = scanEnd;
        break;
      }
      int64_t at = static_cast<const char*>(hit) - buf;
      int64_t n = std::min<int64_t>(5, got - at - 1);
      if (n == 5 && Trim(UpperAscii(std::string_view(buf + at + 1, 5))) == "[END]") return pos + at + 8;
      i = at + 6;  // the scan goes on after the five bytes
    }
    if (got < static_cast<int64_t>(sizeof buf) && i >= got) return -1;
    pos += i;
  }
}

int32_t BlockLengthField(const uint8_t* f) {
  // The text rule, added up directly: byte k gives the digits of b - 1 (two, or three from
  // 101 on) in front of the lower bytes' digits; a zero byte gives "-1", which makes no
  // integer in any place (in front it stands before 14 more digits).
  uint64_t v = 0, scale = 1;
  bool scaleBig = false;  // scale is beyond anything a 32-bit value can hold
  for (int k = 0; k < 8; ++k) {
    if (f[k] == 0) return 0;
    uint64_t d = f[k] - 1u;
    if (d != 0) {
      if (scaleBig) return 0;
      v += d * scale;
      if (v > INT32_MAX) return 0;
    }
    if (!scaleBig) {
      scale *= d >= 100 ? 1000 : 100;
      if (scale > INT32_MAX) scaleBig = true;
    }
  }
  return static_cast<int32_t>(v);
}

bool ReadSkinBlock(SkinInput& in, int64_t& pos, SkinBlock& block, bool& ioError) {
  ioError = false;
  if (pos < 0) return false;
  uint8_t hdr[12];
  int64_t got = in.ReadAt(pos, hdr, sizeof hdr);
  if (got < 0) {
    ioError = true;
    return false;
  }
  if (got < 12) return false;
  size_t tagLen = 0;
  while (tagLen < 4 && hdr[tagLen] != 0) ++tagLen;
  int32_t length = BlockLengthField(hdr + 4);
  if (length < 0 || length > in.Size() - pos - 12) return false;
  block.tag.assign(reinterpret_cast<const char*>(hdr), tagLen);
  block.offset = pos + 12;
  block.length = length;
  pos = block.offset + length;
  return true;
}

static uint32_t Le32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool IsRegionData(std::string_view data) {
  if (data.size() < 32) return false;
  auto p = reinterpret_cast<const unsigned char*>(data.data());
  uint32_t size = Le32(p), type = Le32(p + 4), count = Le32(p + 8), bytes = Le32(p + 12);
  if (size != 32 || type != 1) return false;
  uint64_t need = static_cast<uint64_t>(count) * 16;
  if (need > data.size() - 32) return false;
  return bytes == 0 || bytes == need;
}

bool ReadPicture(SkinInput& in, const PictureRef& pic, std::string& out) {
  out.clear();
  if (pic.length < 0 || pic.offset < 0 || pic.length > in.Size() - pic.offset) return false;
  out.reserve(static_cast<size_t>(pic.length));
  char buf[2048];
  int64_t pos = pic.offset;
  int64_t left = pic.length;
  while (left > 0) {
    size_t want = static_cast<size_t>(std::min<int64_t>(left, sizeof buf));
    int64_t got = in.ReadAt(pos, buf, want);
    if (got <= 0) return false;
    out.append(buf, static_cast<size_t>(got));
    pos += got;
    left -= got;
    if (static_cast<size_t>(got) < want) return false;
  }
  return true;
}

namespace {

// What the blocks are applied to, looked up once for the whole block part.
struct BlockTargets {
  std::vector<int> numbered;  // binding rows by tag number
  int equaliser = -1, spectrum = -1;
  bool lyricsWindow = false;
  int64_t shapeBytes = 0;  // outlines read so far
  explicit BlockTargets(const SkinDesc& d) {
    for (size_t i = 0; i < d.bindings.size(); ++i) {
      uint8_t k = d.bindings[i].kind;
      if (k == kKindEqualiser) {
        if (equaliser < 0) equaliser = static_cast<int>(i);
      } else if (k == kKindSpectrum) {
        if (spectrum < 0) spectrum = static_cast<int>(i);
      } else {
        numbered.push_back(static_cast<int>(i));
      }
    }
    for (const auto& w : d.windows)
      if (w.type == kWindowLyrics && w.lyricsView.exists) lyricsWindow = true;
  }
};

void ApplyBlock(SkinInput& in, const SkinBlock& blk, BlockTargets& t, SkinDesc& d) {
  const std::string& tag = blk.tag;
  if (tag == "VIEW") return;
  if (tag == "EQWP") {
    int row = t.spectrum;
    if (row >= 0) AddPicture(d.controls[d.bindings[row].controls[0]], blk.offset, blk.length, 0);
    return;
  }
  if (tag == "LYWP") {
    if (t.lyricsWindow) {
      d.hasLyricsBackground = true;
      d.lyricsBackground = PictureRef{blk.offset, blk.length, 0};
    }
    return;
  }
  if (tag.size() != 4) return;
  if (tag[0] == 'E' && tag[1] == 'Q' && tag[2] >= '0' && tag[2] <= '9' && tag[3] >= '0' && tag[3] <= '9') {
    int row = t.equaliser;
    if (row < 0) return;
    const auto& ctrls = d.bindings[row].controls;
    int which = (tag[2] - '0') * 10 + (tag[3] - '0');
    for (int band = 0; band < 20; ++band) {
      if (which == 0) AddPicture(d.controls[ctrls[band + 20]], blk.offset, blk.length, 0);
      else if (which == 1) AddPicture(d.controls[ctrls[band]], blk.offset, blk.length, 0);
      else if (which == 2) AddPicture(d.controls[ctrls[band]], blk.offset, blk.length, 2);
    }
    return;
  }
  if (tag[0] == 'P' || tag[0] == 'M') {
    int n = Hex3(tag.data() + 1);
    if (n < 0 || static_cast<size_t>(n) >= d.windows.size()) return;
    SkinWindow& w = d.windows[n];
    if (tag[0] == 'P') {
      w.hasBackground = true;
      w.background = PictureRef{blk.offset, blk.length, 0};
    } else if (blk.length <= kMaxShapeBytes) {
      int64_t total = t.shapeBytes - static_cast<int64_t>(w.shape.size()) + blk.length;
      std::string data;
      if (total <= kMaxShapeTotal && ReadPicture(in, PictureRef{blk.offset, blk.length, 0}, data) &&
          IsRegionData(data)) {
        w.shape = std::move(data);
        t.shapeBytes = total;
      }
    }
    return;
  }
  int g = Hex3(tag.data());
  if (g < 0) return;
  if (static_cast<size_t>(g) >= t.numbered.size()) return;
  int row = t.numbered[g];
  char sc = tag[3];
  int s = 0;
  if (sc >= '0' && sc <= '9') s = sc - '0';
  else if (sc >= 'A' && sc <= 'F') s = sc - 'A' + 10;
  else if (sc >= 'a' && sc <= 'f') s = sc - 'a' + 10;
  TCtrlType& b = d.bindings[row];
  switch (b.kind) {
    case kKindVolume:
    case kKindBalance:
    case kKindPosition:
      if (s == 0) AddPicture(d.controls[b.controls[1]], blk.offset, blk.length, 0);
      else AddPicture(d.controls[b.controls[0]], blk.offset, blk.length, s - 1);
      break;
    default:
      for (int i : b.controls) AddPicture(d.controls[i], blk.offset, blk.length, s);
      break;
  }
}

}  // namespace

// ---------------------------------------------------------------- whole files

bool ParseSkin(SkinInput& in, SkinDesc& d) {
  ResetDesc(d);
  TextParser parser(d);
  bool ok = ForEachTextLine(in, [&](const std::string& line) {
    parser.Line(line);
    return true;
  });
  if (!ok) return false;
  int64_t pos = FindBlockPart(in);
  if (pos == -2) return false;
  d.terminatorFound = pos >= 0;
  d.blockStart = pos >= 0 ? pos : -1;
  BlockTargets targets(d);
  SkinBlock blk;
  bool ioError = false;
  while (ReadSkinBlock(in, pos, blk, ioError)) ApplyBlock(in, blk, targets, d);
  return !ioError;
}

bool OpenSkin(const std::string& path, FileSkinInput& file, SkinDesc& desc) {
  if (!file.Open(path)) return false;
  if (ParseSkin(file, desc)) return true;
  file.Close();
  return false;
}

bool ReadSkinInfo(SkinInput& in, TSkinInfo& info) {
  bool inInfo = false;
  bool ok = ForEachTextLine(in, [&](const std::string& raw) {
    LineInfo li = ClassifyLine(raw);
    if (li.type == LineInfo::Header) {
      if (inInfo) return false;
      inInfo = li.name == "外壳信息";
      return true;
    }
    if (!inInfo || li.type != LineInfo::Key) return true;
    const std::string& k = li.name;
    if (k == "名称") info.name = li.value;
    else if (k == "作者") info.author = li.value;
    else if (k == "主页") info.homePage = li.value;
    else if (k == "电子邮件") info.email = li.value;
    else if (k == "ICQ") info.icq = li.value;
    else if (k == "OICQ") info.oicq = li.value;
    else if (k == "说明") info.description = li.value;
    return true;
  });
  if (info.name.empty()) info.name = FileTitle(info.path);
  if (!ok) return false;
  int64_t pos = FindBlockPart(in);
  if (pos == -2) return false;
  SkinBlock blk;
  bool ioError = false;
  if (ReadSkinBlock(in, pos, blk, ioError) && blk.tag == "VIEW" && blk.length <= kMaxPreviewBytes) {
    if (!ReadPicture(in, PictureRef{blk.offset, blk.length, 0}, info.preview)) {
      info.preview.clear();
      return false;
    }
  }
  return !ioError;
}

bool ReadSkinInfo(TSkinInfo& info) {
  FileSkinInput in;
  if (!in.Open(info.path)) return false;
  return ReadSkinInfo(in, info);
}

// ---------------------------------------------------------------- value texts

uint32_t TextToColor(std::string_view text, uint32_t def) {
  std::string t = Trim(text);
  int32_t v;
  bool ok;
  std::string_view number = t;
  if (t.size() >= 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h')) {
    t[1] = '$';  // "&H" hex is read as "$" hex
    number = std::string_view(t).substr(1);
  }
  ok = TryTextToInt(number, v);
  if (!ok) return def;
  if (v < 0) return static_cast<uint32_t>(v) & 0xFFFFFF;
  return v > 0xFFFFFF ? 0xFFFFFF : static_cast<uint32_t>(v);
}

// Cuts the text up to the first comma (a whole character) off s.
static std::string TakeField(std::string& s) {
  size_t c = FindChar(s, ',');
  if (c == std::string::npos) {
    std::string all = s;
    s.clear();
    return all;
  }
  std::string f = s.substr(0, c);
  s.erase(0, c + 1);
  return f;
}

void TextToFont(std::string_view text, FontDesc& font) {
  std::string s = std::string(text) + ",";
  font.face = TakeField(s);
  size_t p = FindText(s, "],");
  std::string style;
  if (p == std::string::npos) {
    // No "],": the style stays plain and one character goes with the missing separator.
    if (!s.empty()) s.erase(0, CharLen(s, 0));
  } else {
    style = LowerAscii(s.substr(0, p + 1));
    s.erase(0, p + 2);
  }
  font.bold = FindText(style, "bold") != std::string::npos;
  font.italic = FindText(style, "italic") != std::string::npos;
  font.underline = FindText(style, "underline") != std::string::npos;
  font.strikeout = FindText(style, "strikeout") != std::string::npos;
  font.color = TextToColor(TakeField(s), 0);
  int32_t size;
  if (TryTextToInt(Trim(TakeField(s)), size)) font.size = size;
  font.charset = IntValue(Trim(TakeField(s)), 1);
}

void SplitCommandText(std::string_view text, std::string& verb, std::string& argument) {
  std::string t = Trim(text);
  size_t open = FindChar(t, '[');
  if (open != std::string::npos && EndsWithChar(t, ']')) {
    verb = t.substr(0, open);
    argument = t.substr(open + 1, t.size() - open - 2);
  } else {
    verb = t;
    argument.clear();
  }
}

// ---------------------------------------------------------------- binding table

int FindBinding(const SkinDesc& d, uint8_t kind, int n) {
  if (n < 0) return -1;
  for (size_t i = 0; i < d.bindings.size(); ++i)
    if (d.bindings[i].kind == kind && n-- == 0) return static_cast<int>(i);
  return -1;
}

int32_t BindingProperty(const SkinDesc& d, int row, std::string_view name) {
  if (row < 0 || static_cast<size_t>(row) >= d.bindings.size()) return -1;
  const TCtrlType& b = d.bindings[row];
  for (size_t i = 0; i < b.paramNames.size(); ++i)
    if (TextEquals(b.paramNames[i], name)) return b.paramValues[i];
  return -1;
}

int BindingByTagNumber(const SkinDesc& d, int g) {
  if (g < 0) return -1;
  for (size_t i = 0; i < d.bindings.size(); ++i) {
    uint8_t k = d.bindings[i].kind;
    if (k == kKindEqualiser || k == kKindSpectrum) continue;
    if (g-- == 0) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace sd
