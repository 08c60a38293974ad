// The skin file (".eks") reader: the text part (sections and keys), the terminator and the
// picture blocks, turned into a skin description that holds everything the file says except
// the picture bytes, which stay in the file and are read by offset when a state selects them.
// No Windows here: the windows and controls are built from the description elsewhere.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/colorfont.h"

namespace sd {

// Function kinds of the skin binding table.
enum : uint8_t {
  kKindInert = 0,
  kKindButton = 1,
  kKindText = 2,
  kKindPlayState = 3,
  kKindPauseState = 4,
  kKindStatusLamp = 5,  // until its "状态" key is read
  kKindVolume = 6,
  kKindBalance = 7,
  kKindPosition = 8,
  kKindRepeat = 9,
  kKindShuffle = 10,
  kKindEqualiser = 11,
  kKindSpectrum = 12,
  kKindLyricsStrip = 13,
  kKindTime = 14,
  kKindTitle = 15,
  kKindSongNumber = 16,
  kKindFirstLamp = 17,  // status lamp of state s has kind 17 + s, s = 0..12
  kKindLastLamp = 29,
};

// Window types.
enum : uint8_t {
  kWindowEqualiser = 0,
  kWindowSelect = 1,
  kWindowFiles = 2,
  kWindowSpectrum = 3,
  kWindowLyrics = 4,
  kWindowCustom = 5,
  kWindowMain = 6,
};

// Stored expand modes of extension windows.
enum : uint8_t {
  kExpandVerticalSlide = 0,
  kExpandVerticalGrow = 1,
  kExpandHorizontalSlide = 2,
  kExpandHorizontalGrow = 3,
  kExpandShowHide = 4,
};

enum class CtrlClass : uint8_t { Picture, Label, PaintBox };

// Bounds that keep a hostile file from making the reader allocate without end. They lie far
// beyond what a skin needs (tags reach 4096 windows and 4096 bindings).
constexpr size_t kMaxSkinWindows = 4096;
constexpr size_t kMaxSkinBindings = 8192;
constexpr size_t kMaxSkinControls = 65536;
constexpr size_t kMaxSkinLine = 65536;             // longer lines are cut
constexpr int32_t kMaxShapeBytes = 8 << 20;        // larger outlines are ignored,
constexpr int64_t kMaxShapeTotal = 32 << 20;       // and outlines beyond this in all
constexpr int32_t kMaxPreviewBytes = 16 << 20;     // larger previews are not loaded

// A picture in the skin file: its data's offset and length, and the state it serves.
struct PictureRef {
  int64_t offset = 0;
  int32_t length = 0;
  int state = 0;
  bool operator==(const PictureRef&) const = default;
};

struct FontEntry {
  int state = 0;
  std::string text;  // font text, applied with TextToFont
  bool operator==(const FontEntry&) const = default;
};

// One visible piece of a binding.
struct SkinCtrl {
  int index = 0;
  int window = 0;
  int binding = 0;
  CtrlClass cls = CtrlClass::Picture;
  int left = 0, top = 0;
  bool transparent = true;
  bool hasColor = false;
  uint32_t color = 0;       // background of labels and paint boxes
  std::string caption;      // labels
  std::string tooltip;
  std::string verb, argument;
  std::vector<PictureRef> pictures;  // at most one per state: the first one found counts
  std::vector<FontEntry> fonts;      // likewise
  bool operator==(const SkinCtrl&) const = default;
};

// One row of the skin binding table.
struct TCtrlType {
  uint8_t kind = 0;
  std::vector<int> controls;  // indexes into the skin's controls, in creation order
  std::vector<std::string> paramNames;
  std::vector<int32_t> paramValues;
  bool operator==(const TCtrlType&) const = default;
};

// The paint box the lyrics window carries.
struct LyricsViewDesc {
  bool exists = false;
  int left = 0, top = 0;
  int width = -1, height = -1;  // -1: not given by the skin
  std::string tooltip;
  bool operator==(const LyricsViewDesc&) const = default;
};

struct SkinWindow {
  int index = 0;
  uint8_t type = kWindowMain;
  uint8_t expandMode = kExpandVerticalSlide;  // stored form
  int expandSpeed = 1;                        // 1..20
  int moveX = 0, moveY = 0;
  int left = 0, top = 0;                      // home position inside the main form
  bool hasBackground = false;
  PictureRef background;                      // "P" block
  std::string shape;                          // region data ("M" block), empty: rectangle
  LyricsViewDesc lyricsView;                  // type 4 only
  bool operator==(const SkinWindow&) const = default;
};

struct SkinDesc {
  std::vector<SkinWindow> windows;  // window 0 is the main window
  std::vector<SkinCtrl> controls;
  std::vector<TCtrlType> bindings;
  bool hasLyricsBackground = false;
  PictureRef lyricsBackground;      // "LYWP"
  bool terminatorFound = false;
  int64_t blockStart = -1;          // where the block part begins, -1 without terminator
  bool operator==(const SkinDesc&) const = default;
};

// The skin information record for the options dialog.
struct TSkinInfo {
  std::string path, name, author, homePage, email, description, oicq, icq;
  std::string preview;  // bitmap file bytes of the "VIEW" block, empty when none
};

// Random-access bytes of a skin file.
class SkinInput {
 public:
  virtual ~SkinInput() = default;
  virtual int64_t Size() const = 0;
  // Up to n bytes from offset; fewer at the end of the data. -1 on a read error.
  virtual int64_t ReadAt(int64_t offset, void* buf, size_t n) = 0;
};

class MemorySkinInput : public SkinInput {
 public:
  explicit MemorySkinInput(std::string_view data) : data_(data) {}
  int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
  int64_t ReadAt(int64_t offset, void* buf, size_t n) override;

 private:
  std::string_view data_;
};

// A skin file opened read-only; stays open for picture reads while the skin is in use.
class FileSkinInput : public SkinInput {
 public:
  FileSkinInput() = default;
  ~FileSkinInput() override { Close(); }
  FileSkinInput(const FileSkinInput&) = delete;
  FileSkinInput& operator=(const FileSkinInput&) = delete;
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return f_ != nullptr; }
  int64_t Size() const override { return size_; }
  int64_t ReadAt(int64_t offset, void* buf, size_t n) override;

 private:
  FILE* f_ = nullptr;
  int64_t size_ = 0;
};

// Lines of the text part, untrimmed: up to the first Ctrl-Z or a line "#26[END]"; CR LF, LF or
// CR end a line; a line is cut at kMaxSkinLine bytes. False on a read error (the lines read so
// far are kept).
bool ReadSkinTextLines(SkinInput& in, std::vector<std::string>& lines);

// Offset where the block part begins (after the first Ctrl-Z + "[END]" + two bytes), -1 when
// the file has no terminator, -2 on a read error.
int64_t FindBlockPart(SkinInput& in);

struct SkinBlock {
  std::string tag;       // up to 4 ASCII characters
  int64_t offset = 0;    // of the data
  int32_t length = 0;
};
// The next block at pos: true and pos moved past it; false at the end of the block part (too
// few bytes for a header, a length that is negative or runs past the end). ioError is set when
// reading failed.
bool ReadSkinBlock(SkinInput& in, int64_t& pos, SkinBlock& block, bool& ioError);

// The 8-byte digit-pair length of a block header: DecodeDigitPairs(f, 8), worked out without
// building its text (a file may hold a great many blocks).
int32_t BlockLengthField(const uint8_t* f);

// True when data is region data with a consistent header (size 32, rectangles, a rectangle
// count that fits the byte count).
bool IsRegionData(std::string_view data);

// Reads a whole skin into a description. False on a read error; bad content is tolerated
// (unknown sections, keys and tags are skipped, a broken block part ends the pictures).
bool ParseSkin(SkinInput& in, SkinDesc& desc);

// Opens a skin file (kept open in file for the picture reads) and reads its description.
// False when the file cannot be opened or read.
bool OpenSkin(const std::string& path, FileSkinInput& file, SkinDesc& desc);

// Fills the information fields from info.path and the preview from a first "VIEW" block.
bool ReadSkinInfo(TSkinInfo& info);
bool ReadSkinInfo(SkinInput& in, TSkinInfo& info);

// The bytes of one picture (read in pieces of at most 2048 bytes, stopping at a short read).
bool ReadPicture(SkinInput& in, const PictureRef& pic, std::string& out);

// Value texts.
uint32_t TextToColor(std::string_view text, uint32_t def);
void TextToFont(std::string_view text, FontDesc& font);
void SplitCommandText(std::string_view text, std::string& verb, std::string& argument);

// Binding table look-ups: the n-th binding of a kind (from 0) or -1; a parameter or -1.
int FindBinding(const SkinDesc& desc, uint8_t kind, int n);
int32_t BindingProperty(const SkinDesc& desc, int row, std::string_view name);
// Row of the binding numbered g in picture tags (kinds 11 and 12 are not numbered), or -1.
int BindingByTagNumber(const SkinDesc& desc, int g);

// The verb a status lamp of state 0..12 sends.
const char* LampVerb(int state);

}  // namespace sd
