#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <random>
#include <thread>

#include "core/text.h"
#include "library/masks.h"
#include "tests/library/fixture.h"

namespace sd::test {
namespace {

TEST_F(LibraryTest, StartsWithTheTwoBuiltInCategories) {
  TPlay& p = Play();
  ASSERT_EQ(p.CategoryCount, 2);
  EXPECT_EQ(p.CategoryAt(0).Name, "标准");
  EXPECT_FALSE(p.CategoryAt(0).Editable);
  EXPECT_FALSE(p.CategoryAt(0).External);
  EXPECT_EQ(p.CategoryAt(1).Name, "CD Audio");
  EXPECT_TRUE(p.CategoryAt(1).External && p.CategoryAt(1).ReadOnly);
  EXPECT_FALSE(p.CategoryAt(1).Editable);
  EXPECT_EQ(p.PlayIndex, 0);
  EXPECT_EQ(p.CurrentIndex, -1);
  EXPECT_EQ(digits.last, (std::vector<int>{10, 10, 10}));
}

TEST_F(LibraryTest, AddFileKeysAndRefusals) {
  fs.PutFile("c:\\Music\\Long Song Name.mp3", "x", "C:\\MUSIC\\LONGSO~1.MP3");
  fs.PutFile("c:\\a.mp3", "x");
  TPlay& p = Play();
  struct Case {
    const char* path;
    bool added;
    const char* key;  // of the last entry when added
    bool failed;
  } cases[] = {
      {"  c:\\Music\\Long Song Name.mp3 \t", true, "c:\\music\\longso~1.mp3", false},
      {"C:\\MUSIC\\LONG SONG NAME.MP3", false, nullptr, false},  // same short form
      {"   ", false, nullptr, false},
      {"", false, nullptr, false},
      {"c:\\a.mp3", true, "c:\\a.mp3", false},
      {"D:\\Gone\\Missing.MP3", true, "d:\\gone\\missing.mp3", true},
      {"d:\\gone\\missing.mp3", false, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    int before = p.CategoryAt(0).Count;
    EXPECT_EQ(p.AddFile(c.path, -1), c.added);
    EXPECT_EQ(p.CategoryAt(0).Count, before + (c.added ? 1 : 0));
    if (!c.added) continue;
    const TInfoRec& e = p.CategoryAt(0).Items.back();
    EXPECT_EQ(e.FileName, Trim(c.path));
    EXPECT_EQ(e.FileKey, c.key);
    EXPECT_EQ(e.Failed, c.failed);
    EXPECT_EQ(p.FindEntry(c.key, 0), p.CategoryAt(0).Count - 1);
  }
  EXPECT_EQ(p.ViewCount, 3);
  // The same file in another category is one entry there too.
  int c = p.AddCategory("A", -1, 0);
  EXPECT_TRUE(p.AddFile("c:\\a.mp3", c));
  EXPECT_FALSE(p.AddFile("c:\\A.MP3", c));
  EXPECT_EQ(p.CategoryAt(c).Count, 1);
}

TEST_F(LibraryTest, HandOffKindsSendVerbsWithTheKey) {
  fs.PutFile("c:\\Skins\\Blue Sky.eks", "s", "C:\\SKINS\\BLUESK~1.EKS");
  TPlay& p = Play();
  struct Case {
    const char* path;
    const char* verb;
    const char* arg;
  } cases[] = {
      {"c:\\Skins\\Blue Sky.eks", "#Skin", "c:\\skins\\bluesk~1.eks"},
      {"c:\\x\\Plug.PIS", "#InstallPlus", "c:\\x\\plug.pis"},
      {"c:\\x\\Song.lrc", "#EditLyrics", "c:\\x\\song.lrc"},
      {"c:\\x\\Song.TXT", "#EditLyrics", "c:\\x\\song.txt"},
  };
  for (const Case& c : cases) {
    verbs.run.clear();
    EXPECT_FALSE(p.AddFile(c.path, -1)) << c.path;
    ASSERT_EQ(verbs.run.size(), 1u) << c.path;
    EXPECT_EQ(verbs.run[0].first, c.verb);
    EXPECT_EQ(verbs.run[0].second, c.arg);
  }
  EXPECT_EQ(p.CategoryAt(0).Count, 0);
  EXPECT_FALSE(p.HasFirstAdded);
}

TEST_F(LibraryTest, AbortAddRefusesAndFirstAddedCountsDuplicates) {
  TPlay& p = Play();
  p.BeginAdd();
  p.AddFile("c:\\one.mp3", -1);
  p.EndAdd(0);
  p.BeginAdd();
  EXPECT_TRUE(p.FirstAdded.empty());
  EXPECT_FALSE(p.AddFile("c:\\one.mp3", -1));  // duplicate, still the first media file met
  p.AddFile("c:\\two.mp3", -1);
  EXPECT_EQ(p.FirstAdded, "c:\\one.mp3");
  p.AbortAdd = true;
  EXPECT_FALSE(p.AddFile("c:\\three.mp3", -1));
  p.EndAdd(0);
  EXPECT_FALSE(p.HasFirstAdded);
  EXPECT_EQ(p.CategoryAt(0).Count, 2);
  p.BeginAdd();  // a new operation clears the abort
  EXPECT_TRUE(p.AddFile("c:\\three.mp3", -1));
  p.EndAdd(0);
}

TEST_F(LibraryTest, DeletingCategoriesShiftsIndexesAndReusesIds) {
  TPlay& p = Play();
  for (const char* n : {"C2", "C3", "C4", "C5"}) p.AddCategory(n, -1, 0);
  int child = p.AddCategory("child of 4", 4, 1);  // index 6
  ASSERT_EQ(p.CategoryCount, 7);
  const int id3 = p.Order[3], id4 = p.Order[4], id5 = p.Order[5];
  p.AddFile("c:\\x.mp3", 3);
  p.DeleteCategory(3);
  EXPECT_EQ(p.CategoryCount, 6);
  EXPECT_EQ(p.CategoryAt(3).Name, "C4");
  EXPECT_EQ(p.CategoryAt(4).Name, "C5");
  EXPECT_EQ(p.CategoryAt(3).Index, 3);
  EXPECT_EQ(p.Order[3], id4);
  EXPECT_EQ(p.Order[4], id5);
  EXPECT_EQ(p.CategoryAt(child - 1).Parent, 3);  // still points at C4
  EXPECT_EQ(p.IndexOfId(id3), -1);
  int again = p.AddCategory("new", -1, 0);
  EXPECT_EQ(again, 6);
  EXPECT_EQ(p.Order[6], id3);
  EXPECT_EQ(p.LastId, id3);
  EXPECT_EQ(p.CategoryAt(6).Count, 0);
  EXPECT_EQ(p.FindEntry("c:\\x.mp3", 6), -1);  // the old slot's key index went with it
  EXPECT_TRUE(p.AddFile("c:\\x.mp3", 6));
  // Built-in categories stay; a parent below 2 means top level.
  p.DeleteCategory(0);
  p.DeleteCategory(1);
  EXPECT_EQ(p.CategoryCount, 7);
  EXPECT_EQ(p.CategoryAt(p.AddCategory("top", 1, 0)).Parent, -1);
  EXPECT_EQ(p.CategoryAt(p.AddCategory("top", 0, 0)).Parent, -1);
  // Sub-categories of an external category are external.
  EXPECT_TRUE(p.CategoryAt(p.AddCategory("cd child", 1, 0)).External == false);
  p.MutableCategoryAt(2).External = true;
  EXPECT_TRUE(p.CategoryAt(p.AddCategory("plug-in child", 2, 0)).External);
}

TEST_F(LibraryTest, PlayAndViewCategoriesFollowDeletion) {
  struct Case {
    int chosen, deleted, expect;
  } cases[] = {{3, 3, 0}, {4, 3, 3}, {2, 3, 2}};
  for (const Case& c : cases) {
    Reopen();
    TPlay& p = Play();
    for (int i = 0; i < 4; ++i) p.AddCategory("c" + std::to_string(i), -1, 0);
    p.SetPlayCategory(c.chosen);
    p.SetViewCategory(c.chosen);
    p.AddFile("c:\\x.mp3", c.chosen);
    p.DeleteCategory(c.deleted);
    EXPECT_EQ(p.PlayIndex, c.expect) << c.chosen << " " << c.deleted;
    EXPECT_EQ(p.ViewIndex, c.expect) << c.chosen << " " << c.deleted;
    EXPECT_EQ(p.ViewCount, p.CategoryAt(p.ViewIndex).Count);
    EXPECT_TRUE(p.AddFile("c:\\y.mp3", -1));  // still lands in a live category
  }
}

TEST_F(LibraryTest, AnAddThatRunsWhileMessagesRunIsNotDoubled) {
  TPlay& p = Play();
  bool nested = false;
  verbs.on_pump = [&] {
    if (!nested) {
      nested = true;
      EXPECT_TRUE(p.AddFile("c:\\same.mp3", 0));
    }
  };
  EXPECT_FALSE(p.AddFile("c:\\SAME.mp3", 0));
  EXPECT_EQ(Names(0), (std::vector<std::string>{"c:\\same.mp3"}));
}

TEST_F(LibraryTest, RefreshCurrentFillsTheStatusSong) {
  std::string file(200, '\0');
  file.replace(200 - 128, 3, "TAG");
  file.replace(200 - 125, 3, "Now");
  fs.PutFile("c:\\now.mp3", file);
  struct Sink : ICurrentSongSink {
    std::vector<std::string> seen;
    int refreshed = 0;
    void CurrentSongChanged(const TTagRec& s) override { seen.push_back(s.FileKey + "|" + s.Tag.Title); }
    void CurrentRefreshed() override { ++refreshed; }
  } sink;
  TPlaySeams seams = Seams();
  seams.current = &sink;
  TPlay p(seams);
  // No current entry: the record's own key is read straight from the file.
  p.CurrentSong.FileKey = "c:\\now.mp3";
  p.RefreshCurrent();
  p.AddFile("c:\\other.mp3", 0);
  p.SetCurrent(0);
  p.RefreshCurrent();
  // The missing song has no tag: the title of the song before it is not kept.
  EXPECT_EQ(sink.seen, (std::vector<std::string>{"c:\\now.mp3|Now", "c:\\other.mp3|"}));
  EXPECT_EQ(sink.refreshed, 2);
  EXPECT_EQ(p.CurrentSong.FileName, "c:\\other.mp3");
}

TEST_F(LibraryTest, KeyIndexStaysRightThroughRemoveAndMove) {
  TPlay& p = Play();
  std::mt19937 gen(7);
  for (int step = 0; step < 400; ++step) {
    int n = p.CategoryAt(0).Count;
    int op = gen() % 4;
    if (op <= 1 || n < 2) {
      p.AddFile("c:\\f" + std::to_string(gen() % 60) + ".mp3", 0);
    } else if (op == 2) {
      p.RemoveEntries(0, gen() % n);
    } else {
      p.MoveEntry(0, gen() % n, gen() % n);
    }
    const auto& items = p.CategoryAt(0).Items;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) ASSERT_EQ(p.FindEntry(items[i].FileKey, 0), i);
    ASSERT_EQ(p.CategoryAt(0).Count, static_cast<int>(items.size()));
  }
  p.RemoveEntries(0, -1);
  EXPECT_EQ(p.CategoryAt(0).Count, 0);
  EXPECT_EQ(p.FindEntry("c:\\f1.mp3", 0), -1);
}

TEST_F(LibraryTest, RemovingEntriesKeepsTheCurrentSongMark) {
  TPlay& p = Play();
  for (const char* f : {"c:\\a.mp3", "c:\\b.mp3", "c:\\c.mp3"}) p.AddFile(f, 0);
  p.CurrentSong.FileKey = "c:\\c.mp3";
  p.SetCurrent(2);
  p.RemoveEntries(0, 0);
  EXPECT_EQ(p.CurrentIndex, 1);
  p.RemoveEntries(0, 1);
  EXPECT_EQ(p.CurrentIndex, -1);
}

TEST_F(LibraryTest, SongNumberDigits) {
  TPlay& p = Play();
  struct Case {
    int index;
    std::vector<int> digits;
  } cases[] = {{-1, {10, 10, 10}}, {0, {10, 10, 1}}, {6, {10, 10, 7}}, {9, {10, 1, 0}},
               {99, {1, 0, 0}},    {119, {1, 2, 0}}, {999, {10, 0, 0}}, {1233, {12, 3, 4}}};
  for (const Case& c : cases) {
    p.SetCurrent(c.index);
    EXPECT_EQ(p.CurrentIndex, c.index);
    EXPECT_EQ(digits.last, c.digits) << c.index;
  }
}

TEST_F(LibraryTest, PickRandomChoosesAmongUnmarkedOthers) {
  TPlay& p = Play();
  for (int i = 0; i < 5; ++i) p.AddFile("c:\\" + std::to_string(i) + ".mp3", 0);
  p.Entry(0, 1)->Played = true;
  p.Entry(0, 3)->Failed = true;  // failed entries are not looked at
  p.SetCurrent(2);
  std::vector<int> picked;
  for (uint32_t k = 0; k < 3; ++k) {
    random.next = k;
    picked.push_back(p.PickRandom(false));
  }
  EXPECT_EQ(picked, (std::vector<int>{0, 3, 4}));
  EXPECT_EQ(random.asked.back(), 3u);
  EXPECT_EQ(random.reseeds, 3);
  random.next = 0;
  EXPECT_EQ(p.PickRandom(true), 1);
  for (int i = 0; i < 5; ++i) p.Entry(0, i)->Played = true;
  EXPECT_EQ(p.PickRandom(false), 2);  // nothing left: the current song
  EXPECT_TRUE(p.AllPlayed());
  p.ResetPlayed(-1);
  EXPECT_FALSE(p.AllPlayed());
  EXPECT_FALSE(p.Entry(0, 3)->Failed);
}

TEST_F(LibraryTest, PickRandomWithTheClockSourceIsUniform) {
  TPlaySeams s = Seams();
  s.random = nullptr;
  TPlay p(s);
  for (int i = 0; i < 4; ++i) p.AddFile("c:\\" + std::to_string(i) + ".mp3", 0);
  p.SetCurrent(0);
  int hits[4] = {};
  for (int i = 0; i < 3000; ++i) ++hits[p.PickRandom(false)];
  EXPECT_EQ(hits[0], 0);
  for (int i = 1; i < 4; ++i) EXPECT_GT(hits[i], 850) << i;
}

TEST_F(LibraryTest, TitlesAndTitleSearch) {
  TPlay& p = Play();
  for (const char* f : {"c:\\m\\Alpha.mp3", "c:\\m\\beta.mp3", "c:\\m\\gamma.mp3"}) p.AddFile(f, 0);
  p.Entry(0, 1)->Title = "Moon River";
  EXPECT_EQ(p.DisplayTitle(0, 0, true), "Alpha.mp3");
  EXPECT_EQ(p.DisplayTitle(1, 0, true), "- Moon River -");
  EXPECT_EQ(p.DisplayTitle(1, -1, false), "Moon River");
  EXPECT_EQ(p.DisplayTitle(3, 0, false), "");
  p.CurrentSong.FileName = "c:\\x\\now.mp3";
  EXPECT_EQ(p.DisplayTitle(-1, 0, true), "now.mp3");
  p.CurrentSong.Tag.Title = "Now";
  EXPECT_EQ(p.DisplayTitle(-1, 0, true), "- Now -");
  struct Case {
    const char* text;
    int after, expect;
  } cases[] = {
      {"  MOON ", -1, 1}, {"a", 0, 2},  {"a", 2, 0},  // wraps to the first
      {"gamma", 2, 2},                               // after = Count - 1 includes the last
      {"zzz", 0, -1},     {"mp3", 1, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(p.FindTitle(c.text, c.after, 0), c.expect) << c.text << " " << c.after;
}

TEST_F(LibraryTest, Passwords) {
  TPlay& p = Play();
  int c = p.AddCategory("secret", -1, 0);
  // Locking without a password asks for one; blanks remove it and leave it unlocked.
  passwords.answers = {{true, "   "}};
  p.SetLocked(c, true);
  EXPECT_FALSE(p.CategoryAt(c).Locked);
  EXPECT_EQ(p.CategoryAt(c).Password, "");
  EXPECT_EQ(passwords.prompts, (std::vector<std::string>{"请输新密码"}));
  passwords.answers = {{true, " pw "}};
  p.SetLocked(c, true);
  EXPECT_TRUE(p.CategoryAt(c).Locked);
  EXPECT_EQ(p.CategoryAt(c).Password, "pw");
  struct Case {
    bool ok;
    const char* typed;
    bool result;
    int wrong;
  } cases[] = {{true, "pw", true, 0}, {true, " pw", false, 1}, {false, "pw", false, 0}, {true, "PW", false, 1}};
  for (const Case& k : cases) {
    passwords.wrong = 0;
    passwords.answers = {{k.ok, k.typed}};
    EXPECT_EQ(p.CheckPassword(c), k.result) << k.typed;
    EXPECT_EQ(passwords.wrong, k.wrong) << k.typed;
  }
  // Changing a locked category's password needs the old one first.
  passwords.answers = {{true, "bad"}};
  EXPECT_FALSE(p.ChangePassword(c));
  EXPECT_EQ(p.CategoryAt(c).Password, "pw");
  passwords.answers = {{true, "pw"}, {true, "new"}};
  EXPECT_TRUE(p.ChangePassword(c));
  EXPECT_EQ(p.CategoryAt(c).Password, "new");
  p.SetLocked(c, false);
  EXPECT_FALSE(p.CategoryAt(c).Locked);
  EXPECT_EQ(p.CategoryAt(c).Password, "new");
  p.SetLocked(1, true);  // external categories are never locked
  EXPECT_FALSE(p.CategoryAt(1).Locked);
}

TEST_F(LibraryTest, ObserversHearOfEveryChange) {
  TPlay& p = Play();
  Observer o;
  p.AddObserver(&o);
  int c = p.AddCategory("A", -1, 0);
  p.AddFile("c:\\a.mp3", c);
  p.AddFile("c:\\b.mp3", c);
  p.AddFile("c:\\b.mp3", c);  // duplicate: nothing
  p.MoveEntry(c, 1, 0);
  p.RemoveEntries(c, 1);
  p.RemoveEntries(c, -1);
  p.RenameCategory(c, "B");
  EXPECT_FALSE(p.RenameCategory(1, "x"));
  p.DeleteCategory(c);
  p.RemoveObserver(&o);
  p.AddCategory("unheard", -1, 0);
  EXPECT_EQ(o.log, (std::vector<std::string>{"category+ 2", "add 2:0", "add 2:1", "move 2:1>0", "remove 2:1",
                                             "remove 2:-1", "rename 2", "category- 2"}));
}

TEST_F(LibraryTest, TagsLoadOnlyForShownCategories) {
  std::string file(200, '\0');
  file.replace(200 - 128, 3, "TAG");
  file.replace(200 - 125, 5, "Title");
  fs.PutFile("c:\\t.mp3", file);
  TPlay& p = Play();
  Observer o;
  p.AddObserver(&o);
  p.AddFile("c:\\t.mp3", 0);
  p.AddFile("c:\\missing.mp3", 0);
  p.LoadTags(0);
  EXPECT_FALSE(p.Entry(0, 0)->TagLoaded);
  o.shown = {0};
  EXPECT_TRUE(p.IsShown(0));
  p.LoadTags(0);
  EXPECT_TRUE(p.Entry(0, 0)->TagLoaded);
  EXPECT_EQ(p.Entry(0, 0)->Title, "Title");
  EXPECT_FALSE(p.Entry(0, 1)->TagLoaded);  // tried again later
  EXPECT_FALSE(p.TagsLoading);
}

TEST_F(LibraryTest, LoadTagsSurvivesTheCategoryGoingWhileMessagesRun) {
  TPlay& p = Play();
  Observer o;
  p.AddObserver(&o);
  int c = p.AddCategory("A", -1, 0);
  for (int i = 0; i < 5; ++i) p.AddFile("c:\\" + std::to_string(i) + ".mp3", c);
  o.shown = {c};
  verbs.on_pump = [&] { p.DeleteCategory(c); };
  p.LoadTags(c);
  EXPECT_FALSE(p.TagsLoading);
  EXPECT_EQ(p.CategoryCount, 2);
}

TEST_F(LibraryTest, FolderAddWalksWithTheMasksIntoTheViewCategory) {
  fs.PutFile("c:\\m\\a.mp3", "");
  fs.PutFile("c:\\m\\b.wav", "");
  fs.PutFile("c:\\m\\sub\\c.MP3", "");
  TPlay& p = Play();
  p.BeginAdd();
  p.FolderMasks = "*.mp3";
  EXPECT_FALSE(p.AddFile("c:\\m", 5));
  p.EndAdd(0);
  EXPECT_EQ(Names(0), (std::vector<std::string>{"c:\\m\\a.mp3", "c:\\m\\sub\\c.MP3"}));
  EXPECT_EQ(p.Finder, nullptr);
}

TEST_F(LibraryTest, StopAddingDuringAFolderAddEndsIt) {
  for (int i = 0; i < 50; ++i) fs.PutFile("c:\\m\\" + std::to_string(i) + ".mp3", "");
  TPlay& p = Play();
  p.BeginAdd();
  int adds = 0;
  verbs.on_pump = [&] {
    if (++adds == 5) p.StopAdding();
  };
  p.AddFile("c:\\m\\", -1);
  EXPECT_LT(p.CategoryAt(0).Count, 6);
  EXPECT_FALSE(p.AbortAdd);
  EXPECT_EQ(p.Finder, nullptr);
  verbs.on_pump = nullptr;
  EXPECT_TRUE(p.AddFile("c:\\later.mp3", -1));
}

// A folder search whose walk runs on its own thread and hands names over through a queue
// that the waiting Find drains, letting messages run in between.
class ThreadedSearch : public IFolderSearch {
 public:
  ThreadedSearch(IFileSystem& fs, IVerbSink& verbs) : fs_(fs), verbs_(verbs) {}
  void Find(const std::string& folder, const std::string& masks, const FoundFn& found, bool recursive) override {
    abort_ = false;
    done_ = false;
    std::thread walker([&] {
      WalkFolders(fs_, folder, SplitMasks(masks), recursive, abort_, [&](const std::string& f, const std::string& n) {
        std::lock_guard<std::mutex> hold(lock_);
        queue_.push_back(f + "|" + n);
      });
      done_ = true;
    });
    for (;;) {
      bool ended = done_;
      std::deque<std::string> batch;
      {
        std::lock_guard<std::mutex> hold(lock_);
        batch.swap(queue_);
      }
      for (const std::string& item : batch) {
        ++delivered;
        size_t bar = item.find('|');
        if (found) found(item.substr(0, bar), item.substr(bar + 1));
      }
      if (ended && batch.empty()) break;
      verbs_.ProcessMessages();
    }
    walker.join();
  }
  void Cancel() override { abort_ = true; }
  bool Finished() override { return done_; }
  int delivered = 0;

 private:
  IFileSystem& fs_;
  IVerbSink& verbs_;
  std::atomic<bool> abort_{false}, done_{true};
  std::mutex lock_;
  std::deque<std::string> queue_;
};

TEST_F(LibraryTest, AThreadedSearchIsStoppedPromptlyAndDeliversWhatItHandedOver) {
  for (int d = 0; d < 40; ++d)
    for (int f = 0; f < 50; ++f) fs.PutFile("c:\\t\\d" + std::to_string(d) + "\\" + std::to_string(f) + ".mp3", "");
  // Folders list slowly, so the walk is far from its end when the stop comes.
  struct Slow : IFileSystem {
    MemFileSystem& fs;
    explicit Slow(MemFileSystem& f) : fs(f) {}
    bool FileExists(const std::string& p) override { return fs.FileExists(p); }
    bool FolderExists(const std::string& p) override { return fs.FolderExists(p); }
    std::string ShortPath(const std::string& p) override { return fs.ShortPath(p); }
    bool ListFolder(const std::string& f, std::vector<FolderItem>& items) override {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      return fs.ListFolder(f, items);
    }
    std::unique_ptr<IFile> Open(const std::string& p, bool w) override { return fs.Open(p, w); }
    std::unique_ptr<IFile> Create(const std::string& p) override { return fs.Create(p); }
    bool Replace(const std::string& a, const std::string& b) override { return fs.Replace(a, b); }
    bool Delete(const std::string& p) override { return fs.Delete(p); }
  } slow(fs);
  ThreadedSearch search(slow, verbs);
  TPlaySeams seams = Seams();
  seams.search = &search;
  TPlay p(seams);
  p.BeginAdd();
  int pumps = 0;
  verbs.on_pump = [&] {
    if (++pumps == 30) p.StopAdding();
  };
  p.AddFile("c:\\t", -1);
  verbs.on_pump = nullptr;
  EXPECT_EQ(p.Finder, nullptr);
  EXPECT_FALSE(p.AbortAdd);
  EXPECT_LT(search.delivered, 2000);  // the walk ended early
  // Every file handed over was delivered; those met after the stop were added as well.
  EXPECT_EQ(p.CategoryAt(0).Count, search.delivered);
  p.EndAdd(0);
}

TEST_F(LibraryTest, StoreTagUpdatesEntriesAndTheCurrentSong) {
  std::string file(300, 'x');
  fs.PutFile("c:\\s.mp3", file);
  TPlay& p = Play();
  int c = p.AddCategory("A", -1, 0);
  p.AddFile("c:\\s.mp3", 0);
  p.AddFile("c:\\s.mp3", c);
  Observer o;
  p.AddObserver(&o);
  p.SetCurrent(0);
  p.RefreshCurrent();
  EXPECT_EQ(p.CurrentSong.FileKey, "c:\\s.mp3");
  EXPECT_EQ(p.CurrentSong.FileName, "c:\\s.mp3");
  TTagRec t;
  t.FileKey = "c:\\s.mp3";
  t.Tag.Title = "New";
  t.Tag.Artist = "Who";
  p.StoreTag(t);
  EXPECT_EQ(p.CurrentSong.Tag.Title, "New");
  EXPECT_EQ(p.Entry(0, 0)->Title, "New");
  EXPECT_EQ(p.Entry(c, 0)->Artist, "Who");
  EXPECT_EQ(p.PendingCount, 0);
  EXPECT_EQ(fs.Data("c:\\s.mp3").size(), 300u + 164u);
  EXPECT_NE(std::find(o.log.begin(), o.log.end(), "changed 2:0"), o.log.end());
}

}  // namespace
}  // namespace sd::test
