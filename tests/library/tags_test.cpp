#include <cstring>

#include "library/tags.h"
#include "tests/library/fixture.h"

namespace sd::test {
namespace {

// audio bytes followed by an ID3v1 tag (and a LYRICS block when lyrics is given).
std::string Tagged(size_t audio, const std::string& title, int genre, const char* lyrics = nullptr,
                   const char* mark = "TAG") {
  std::string s(audio, '\x55');
  if (lyrics) {
    std::string b(36, '\0');
    std::memcpy(b.data(), "LYRICS", 6);
    std::memcpy(b.data() + 6, lyrics, std::min<size_t>(30, std::strlen(lyrics)));
    s += b;
  }
  std::string t(128, '\0');
  std::memcpy(t.data(), mark, 3);
  std::memcpy(t.data() + 3, title.data(), std::min<size_t>(30, title.size()));
  std::memcpy(t.data() + 33, "Artist", 6);
  std::memcpy(t.data() + 63, "Album", 5);
  std::memcpy(t.data() + 93, "1999", 4);
  std::memcpy(t.data() + 97, " note ", 6);
  t[127] = static_cast<char>(genre);
  return s + t;
}

TEST(Genres, NamesByNumber) {
  struct Case {
    int n;
    const char* name;
  } cases[] = {{0, "No Genre"}, {1, "Blues"}, {15, "R&B"}, {54, "Pop -Folk"}, {68, "Psychadelic"},
               {80, "Hard Rock"}, {81, "Unknown"}};
  for (const Case& c : cases) EXPECT_STREQ(kGenreNames[c.n], c.name);
}

TEST(ReadTag, Cases) {
  struct Case {
    const char* what;
    std::string data;
    bool ok;
    const char* title;
    int genre;
    const char* lyrics;
  } cases[] = {
      {"blanks then a name then zeros", Tagged(10, "  Name", 3), true, "Name", 3, ""},
      {"genre zero", Tagged(10, "T", 0), true, "T", 0, ""},
      {"genre 200", Tagged(10, "T", 200), true, "T", 81, ""},
      {"lower-case tag", Tagged(10, "T", 2, nullptr, "tag"), true, "T", 2, ""},
      {"no tag", std::string(500, 'a'), true, "", 81, ""},
      {"lyrics block, name untrimmed", Tagged(10, "T", 1, " song.lrc"), true, "T", 1, " song.lrc"},
      {"empty file", std::string(), true, "", 81, ""},
      {"tag only, nothing in front", Tagged(0, "T", 4), true, "T", 4, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemFileSystem fs;
    fs.PutFile("c:\\Song.MP3", c.data);
    TTagRec r;
    r.Tag.Title = "stale";
    ASSERT_EQ(ReadTagFile(fs, "c:\\Song.MP3", r), c.ok);
    EXPECT_EQ(r.Tag.Title, c.title);
    EXPECT_EQ(r.Tag.Genre, c.genre);
    EXPECT_EQ(r.Tag.LyricsName, c.lyrics);
    EXPECT_EQ(r.FileKey, "c:\\song.mp3");
    if (*c.title) {
      EXPECT_EQ(r.Tag.Artist, "Artist");
      EXPECT_EQ(r.Tag.Album, "Album");
      EXPECT_EQ(r.Tag.Year, "1999");
      EXPECT_EQ(r.Tag.Comment, "note");
    }
  }
  MemFileSystem fs;
  TTagRec r;
  EXPECT_FALSE(ReadTagFile(fs, "c:\\none.mp3", r));
}

TEST(ReadTag, LyricsMarkWithoutATagBehindItIsAudio) {
  MemFileSystem fs;
  std::string data(400, 'a');
  std::memcpy(data.data() + 400 - 164, "LYRICSname", 10);
  fs.PutFile("c:\\a.mp3", data);
  TTagRec r;
  ASSERT_TRUE(ReadTagFile(fs, "c:\\a.mp3", r));
  EXPECT_EQ(r.Tag.LyricsName, "");
}

TEST(WriteTag, GrowthAndCuts) {
  TID3Rec t;
  t.Title = std::string(40, 'T');  // cut to 30
  t.Artist = "A";
  t.Genre = 17;
  t.LyricsName = "x.lrc";
  struct Case {
    const char* what;
    std::string data;
    size_t growth;  // of the first write; a second write never grows
  } cases[] = {
      {"tag, no lyrics block", Tagged(1000, "old", 1), 36},
      {"no tag", std::string(1000, 'a'), 164},
      {"both blocks", Tagged(1000, "old", 1, "old.lrc"), 0},
      {"lyrics mark but no tag", [] {
         std::string d(1000, 'a');
         std::memcpy(d.data() + 1000 - 164, "LYRICS", 6);
         return d;
       }(), 164},
      {"shorter than a tag", std::string(20, 'a'), 164},
      {"empty", std::string(), 164},
      {"a tag and 10 bytes", Tagged(10, "old", 1), 36},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemFileSystem fs;
    fs.PutFile("c:\\a.mp3", c.data);
    ASSERT_EQ(WriteTagFile(fs, "c:\\a.mp3", t), TagWrite::kWritten);
    std::string after = fs.Data("c:\\a.mp3");
    ASSERT_EQ(after.size(), c.data.size() + c.growth);
    // Everything in front of the old blocks is untouched.
    size_t audio = c.data.size() + c.growth - 164;
    EXPECT_EQ(after.substr(0, std::min(audio, c.data.size())), c.data.substr(0, std::min(audio, c.data.size())));
    EXPECT_EQ(after.substr(audio, 6), "LYRICS");
    EXPECT_EQ(after.substr(audio + 36, 3), "TAG");
    EXPECT_EQ(after.substr(audio + 39, 30), std::string(30, 'T'));
    EXPECT_EQ(static_cast<unsigned char>(after.back()), 17);
    ASSERT_EQ(WriteTagFile(fs, "c:\\a.mp3", t), TagWrite::kWritten);
    EXPECT_EQ(fs.Data("c:\\a.mp3"), after);
    TTagRec r;
    ASSERT_TRUE(ReadTagFile(fs, "c:\\a.mp3", r));
    EXPECT_EQ(r.Tag.Title, std::string(30, 'T'));
    EXPECT_EQ(r.Tag.LyricsName, "x.lrc");
    EXPECT_EQ(r.Tag.Genre, 17);
  }
}

TEST(WriteTag, ADoubleByteTitleIsCutAtTheFieldWidth) {
  MemFileSystem fs;
  fs.PutFile("c:\\a.mp3", std::string(10, 'a'));
  TID3Rec t;
  t.Title = "a";
  for (int i = 0; i < 15; ++i) t.Title += "歌";  // 31 bytes: the last character is cut in half
  ASSERT_EQ(WriteTagFile(fs, "c:\\a.mp3", t), TagWrite::kWritten);
  std::string d = fs.Data("c:\\a.mp3");
  EXPECT_EQ(d.substr(d.size() - 125, 30), t.Title.substr(0, 30));
}

TEST(WriteTag, AFailedWriteLeavesTheFileAsItWas) {
  for (size_t budget : {0u, 1u, 50u, 163u}) {
    for (bool tagged : {false, true}) {
      MemFileSystem fs;
      std::string data = tagged ? Tagged(500, "old", 2, "old.lrc") : std::string(500, 'a');
      fs.PutFile("c:\\a.mp3", data);
      fs.write_budget = static_cast<long>(budget);
      TID3Rec t;
      t.Title = "new";
      EXPECT_EQ(WriteTagFile(fs, "c:\\a.mp3", t), TagWrite::kFailed);
      fs.write_budget = -1;
      // Nothing grows and the audio is as it was (a disk that keeps failing may leave the
      // old tag partly written; the row stays queued and is written again).
      std::string after = fs.Data("c:\\a.mp3");
      ASSERT_EQ(after.size(), data.size()) << budget << " " << tagged;
      size_t audio = tagged ? data.size() - 164 : data.size();
      EXPECT_EQ(after.substr(0, audio), data.substr(0, audio)) << budget << " " << tagged;
    }
  }
}

TEST_F(LibraryTest, AQueuedTagWaitsWhileTheFileIsHeldOpen) {
  fs.PutFile("c:\\Playing.mp3", Tagged(300, "old", 1));
  TPlay& p = Play();
  p.AddFile("c:\\Playing.mp3", 0);
  fs.held_open.insert("c:\\playing.mp3");
  TTagRec t;
  t.FileKey = "c:\\playing.mp3";
  t.Tag.Title = "queued";
  p.StoreTag(t);
  EXPECT_EQ(p.PendingCount, 1);
  EXPECT_EQ(fs.Data("c:\\playing.mp3").size(), 300u + 128u);
  TTagRec got;
  ASSERT_TRUE(p.GetTag("c:\\playing.mp3", got));
  EXPECT_EQ(got.Tag.Title, "queued");
  t.Tag.Title = "again";
  p.StoreTag(t);  // one row per key
  EXPECT_EQ(p.PendingCount, 1);
  p.FlushTags();
  EXPECT_EQ(p.PendingCount, 1);
  fs.held_open.clear();
  p.FlushTags();
  EXPECT_EQ(p.PendingCount, 0);
  ASSERT_TRUE(p.GetTag("c:\\playing.mp3", got));
  EXPECT_EQ(got.Tag.Title, "again");
  EXPECT_EQ(fs.Data("c:\\playing.mp3").size(), 300u + 164u);
}

TEST_F(LibraryTest, AWriteThatFailsPartWayStaysQueued) {
  fs.PutFile("c:\\a.mp3", std::string(300, 'a'));
  TPlay& p = Play();
  fs.write_budget = 10;
  TTagRec t;
  t.FileKey = "c:\\a.mp3";
  t.Tag.Title = "x";
  p.StoreTag(t);
  EXPECT_EQ(p.PendingCount, 1);
  EXPECT_EQ(fs.Data("c:\\a.mp3"), std::string(300, 'a'));
  fs.write_budget = -1;
  p.FlushTags();
  EXPECT_EQ(p.PendingCount, 0);
  EXPECT_EQ(fs.Data("c:\\a.mp3").size(), 464u);
}

}  // namespace
}  // namespace sd::test
