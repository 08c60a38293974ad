#include <gtest/gtest.h>

#include <thread>

#include "library/masks.h"
#include "library/memfs.h"

namespace sd {
namespace {

TEST(Masks, Matching) {
  struct Case {
    const char* mask;
    const char* name;
    bool match;
  } cases[] = {
      {"*.mp3", "a.mp3", true},      {"*.mp3", "b.MP3", true},     {"*.mp3", "c.wav", false},
      {"*.MP3", "x.mp3", true},      {"*.*", "noext", true},       {"*.*", ".hidden", true},
      {"*", "", true},               {"a?c.mp3", "abc.mp3", true}, {"a?c.mp3", "ac.mp3", false},
      {"?.mp3", "歌.mp3", true},     {"??.mp3", "歌.mp3", false},  {"[abc]*.wav", "B1.wav", true},
      {"[abc]*.wav", "d1.wav", false}, {"[a-c]?", "bz", true},     {"[!a-c]?", "bz", false},
      {"[!a-c]?", "dz", true},       {"[abc", "[abc", true},       {"*a*b*c", "xxaxxbxxc", true},
      {"*a*b*c", "xxaxxcxxb", false}, {" *.mp3", "song.mp3", false}, {" *.mp3", " song.mp3", true},
      {"*.mp3", "a.mp3.wav", false}, {"*歌*", "好歌曲.mp3", true}, {"*[*", "a[", true},
      // A trail byte that looks like "?" or a letter is part of its character.
      {"*\\*", "\x81\\", false},     {"*A", "\x81" "A", false},    {"*a", "\x81" "Aa", true},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchMask(c.mask, c.name), c.match) << c.mask << " / " << c.name;
}

TEST(Masks, Splitting) {
  EXPECT_EQ(SplitMasks("*.mp3;*.wav"), (std::vector<std::string>{"*.mp3", "*.wav"}));
  EXPECT_EQ(SplitMasks("*.mp3, *.wav"), (std::vector<std::string>{"*.mp3", " *.wav"}));
  EXPECT_EQ(SplitMasks("*.*;"), (std::vector<std::string>{"*.*"}));
  EXPECT_EQ(SplitMasks(" ;;*.a,"), (std::vector<std::string>{"*.a"}));
  const auto masks = SplitMasks("*.mp3, *.wav");
  EXPECT_TRUE(MatchesAny(masks, "x.MP3"));
  EXPECT_FALSE(MatchesAny(masks, "x.wav"));
  EXPECT_TRUE(MatchesAny(masks, " x.wav"));
}

class Walk : public ::testing::Test {
 protected:
  std::vector<std::string> Run(const std::string& masks, bool recursive) {
    std::atomic<bool> abort{false};
    std::vector<std::string> found;
    WalkFolders(fs, "c:\\r", SplitMasks(masks), recursive, abort,
                [&](const std::string& f, const std::string& n) { found.push_back(f + n); });
    return found;
  }
  MemFileSystem fs;
};

TEST_F(Walk, BreadthFirstInTheSystemsOrder) {
  fs.PutFile("c:\\r\\z.mp3", "");
  fs.PutFolder("c:\\r\\Sub1");
  fs.PutFile("c:\\r\\Sub1\\deep\\d.mp3", "");
  fs.PutFile("c:\\r\\Sub1\\s1.mp3", "");
  fs.PutFile("c:\\r\\a.MP3", "");
  fs.PutFile("c:\\r\\Sub2\\s2.mp3", "");
  fs.PutFile("c:\\r\\c.wav", "");
  EXPECT_EQ(Run("*.mp3", true), (std::vector<std::string>{"c:\\r\\z.mp3", "c:\\r\\a.MP3", "c:\\r\\Sub1\\s1.mp3",
                                                          "c:\\r\\Sub2\\s2.mp3", "c:\\r\\Sub1\\deep\\d.mp3"}));
  EXPECT_EQ(Run("*.mp3;*.wav", false),
            (std::vector<std::string>{"c:\\r\\z.mp3", "c:\\r\\a.MP3", "c:\\r\\c.wav"}));
  EXPECT_TRUE(Run("*.ogg", true).empty());
}

TEST_F(Walk, ALinkBackToAWalkedFolderIsNotEntered) {
  fs.PutFile("c:\\r\\a.mp3", "");
  fs.PutFile("c:\\music\\m.mp3", "");
  fs.PutLink("c:\\r\\loop", "C:\\R");          // a junction to its own parent
  fs.PutLink("c:\\r\\elsewhere", "c:\\music");  // a link to another place is walked
  EXPECT_EQ(Run("*.mp3", true), (std::vector<std::string>{"c:\\r\\a.mp3", "c:\\r\\elsewhere\\m.mp3"}));
}

TEST_F(Walk, CancelFromAnotherThreadStopsPromptly) {
  for (int d = 0; d < 50; ++d)
    for (int f = 0; f < 40; ++f) fs.PutFile("c:\\r\\d" + std::to_string(d) + "\\" + std::to_string(f) + ".mp3", "");
  std::atomic<bool> abort{false};
  std::atomic<int> found{0};
  std::thread walker([&] {
    WalkFolders(fs, "c:\\r\\", SplitMasks("*.*"), true, abort, [&](const std::string&, const std::string&) {
      if (++found == 10) abort = true;
    });
  });
  walker.join();
  EXPECT_EQ(found.load(), 10);
}

}  // namespace
}  // namespace sd
