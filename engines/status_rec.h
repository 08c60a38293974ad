// The play status record shared with every engine, and the blocks it holds. The layout is
// fixed (plug-ins built separately read it by offset): packed, 123 bytes. Every field is a
// 32-bit number; the text fields hold the address of a NUL-terminated GBK copy owned by the
// host (see library/low_arena.h: those copies live below 4 GiB so their addresses fit, also
// in a 64-bit build). Kept free of <windows.h>.
#pragma once
#include <cstddef>
#include <cstdint>

namespace sd::rec {

#pragma pack(push, 1)

// The tag fields of a song as the record holds them.
struct TID3Rec {
  uint32_t Title;
  uint32_t Album;
  uint32_t Artist;
  uint32_t Year;
  uint32_t Comment;
  uint32_t LyricsName;
  int32_t Genre;
};

// A song: its tag, its key (lower-case short path) and its path as shown.
struct TTagRec {
  TID3Rec Tag;
  uint32_t FileKey;
  uint32_t FileName;
};

// The option block, 15 bytes.
struct TOptionRec {
  uint8_t OnTop;
  uint8_t SingleSong;
  uint8_t Shuffle;
  uint8_t Repeat;
  uint8_t RemainingTime;
  uint8_t EQEnabled;
  uint8_t HotKeys;
  int32_t PlayerLine;
  uint32_t SkinName;
};

// The lyrics of the current song, 28 bytes: texts is the address of an array of text
// addresses, times the address of an array of 32-bit times in tenths, both Count long.
struct TLyricsRec {
  uint32_t Maker;
  uint32_t Composer;
  uint32_t Lyricist;
  uint32_t Texts;
  uint32_t Times;
  uint8_t Segmented;
  uint8_t Spare;
  uint8_t Reserved[2];
  int32_t Count;
};

struct TPlayerStatusRec {
  uint32_t AppWindow;
  uint32_t MainWindow;
  int32_t Position;
  int32_t State;
  int32_t TotalTime;
  TTagRec Song;
  TOptionRec Options;
  TLyricsRec Lyrics;
  uint32_t VisualParent;
  uint32_t VisualPicture;
  uint32_t VisualColor;
  uint32_t SampleData;
  uint32_t SampleSize;
  uint32_t VideoWindow;
};

#pragma pack(pop)

static_assert(sizeof(TID3Rec) == 28);
static_assert(offsetof(TID3Rec, Title) == 0 && offsetof(TID3Rec, Album) == 4 &&
              offsetof(TID3Rec, Artist) == 8 && offsetof(TID3Rec, Year) == 12 &&
              offsetof(TID3Rec, Comment) == 16 && offsetof(TID3Rec, LyricsName) == 20 &&
              offsetof(TID3Rec, Genre) == 24);
static_assert(sizeof(TTagRec) == 36);
static_assert(offsetof(TTagRec, Tag) == 0 && offsetof(TTagRec, FileKey) == 28 &&
              offsetof(TTagRec, FileName) == 32);
static_assert(sizeof(TOptionRec) == 15);
static_assert(offsetof(TOptionRec, OnTop) == 0 && offsetof(TOptionRec, SingleSong) == 1 &&
              offsetof(TOptionRec, Shuffle) == 2 && offsetof(TOptionRec, Repeat) == 3 &&
              offsetof(TOptionRec, RemainingTime) == 4 && offsetof(TOptionRec, EQEnabled) == 5 &&
              offsetof(TOptionRec, HotKeys) == 6 && offsetof(TOptionRec, PlayerLine) == 7 &&
              offsetof(TOptionRec, SkinName) == 11);
static_assert(sizeof(TLyricsRec) == 28);
static_assert(offsetof(TLyricsRec, Maker) == 0 && offsetof(TLyricsRec, Composer) == 4 &&
              offsetof(TLyricsRec, Lyricist) == 8 && offsetof(TLyricsRec, Texts) == 12 &&
              offsetof(TLyricsRec, Times) == 16 && offsetof(TLyricsRec, Segmented) == 20 &&
              offsetof(TLyricsRec, Spare) == 21 && offsetof(TLyricsRec, Count) == 24);
static_assert(sizeof(TPlayerStatusRec) == 123);
static_assert(offsetof(TPlayerStatusRec, AppWindow) == 0 &&
              offsetof(TPlayerStatusRec, MainWindow) == 4 &&
              offsetof(TPlayerStatusRec, Position) == 8 && offsetof(TPlayerStatusRec, State) == 12 &&
              offsetof(TPlayerStatusRec, TotalTime) == 16 && offsetof(TPlayerStatusRec, Song) == 20 &&
              offsetof(TPlayerStatusRec, Options) == 56 && offsetof(TPlayerStatusRec, Lyrics) == 71 &&
              offsetof(TPlayerStatusRec, VisualParent) == 99 &&
              offsetof(TPlayerStatusRec, VisualPicture) == 103 &&
              offsetof(TPlayerStatusRec, VisualColor) == 107 &&
              offsetof(TPlayerStatusRec, SampleData) == 111 &&
              offsetof(TPlayerStatusRec, SampleSize) == 115 &&
              offsetof(TPlayerStatusRec, VideoWindow) == 119);

}  // namespace sd::rec
