#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "engines/status_rec.h"
#include "library/low_arena.h"
#include "library/status_texts.h"

namespace sd {
namespace {

TEST(StatusRecord, EngineSeesTheSongAtItsOffsets) {
  rec::TPlayerStatusRec r{};
  TStatusSongTexts texts;
  TTagRec song;
  song.Tag.Title = "标题";
  song.Tag.Artist = "Artist";
  song.Tag.Genre = 12;
  song.FileKey = "c:\\a~1.mp3";
  song.FileName = "c:\\a long.mp3";
  texts.SetSong(r.Song, song);
  // Read the record the way a separately built plug-in does: bytes at fixed offsets.
  unsigned char bytes[123];
  std::memcpy(bytes, &r, sizeof bytes);
  auto at = [&](size_t off) {
    uint32_t v;
    std::memcpy(&v, bytes + off, 4);
    return v;
  };
  auto text = [&](size_t off) { return std::string(LowArena::Pointer(at(off))); };
  EXPECT_EQ(text(20), "标题");
  EXPECT_EQ(text(20 + 8), "Artist");
  EXPECT_EQ(text(20 + 4), "");
  EXPECT_EQ(at(20 + 24), 12u);
  EXPECT_EQ(text(20 + 28), "c:\\a~1.mp3");
  EXPECT_EQ(text(20 + 32), "c:\\a long.mp3");
  song.FileName = std::string(300, 'p');  // a longer text moves to a bigger block
  texts.SetSong(r.Song, song);
  EXPECT_EQ(std::string(LowArena::Pointer(r.Song.FileName)), song.FileName);
}

TEST(LowArena, AddressesFitIn32BitsAndAreReused) {
  ASSERT_TRUE(LowArena::Instance().Valid());
  std::set<uint32_t> seen;
  {
    LowText a, b;
    a.Set("first");
    b.Set(std::string(5000, 'x'));
    EXPECT_STREQ(a.c_str(), "first");
    EXPECT_EQ(std::strlen(b.c_str()), 5000u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a.c_str()), a.Address());
    seen.insert(a.Address());
    uint32_t before = a.Address();
    a.Set("short");  // fits: same place
    EXPECT_EQ(a.Address(), before);
  }
  LowText c;
  c.Set("again");
  EXPECT_TRUE(seen.count(c.Address()));  // the freed block came back
  LowText big;
  big.Set(std::string(LowArena::kMaxText + 100, 'y'));
  EXPECT_EQ(std::strlen(big.c_str()), LowArena::kMaxText);
  LowText empty;
  EXPECT_STREQ(empty.c_str(), "");
  // Many texts in turn do not use up the region.
  for (int i = 0; i < 20000; ++i) {
    LowText t;
    ASSERT_NE(t.Set(std::string(i % 700, 'z')), 0u);
  }
}

}  // namespace
}  // namespace sd
