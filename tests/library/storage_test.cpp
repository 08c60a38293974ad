#include "library/profile.h"
#include "tests/library/fixture.h"

namespace sd::test {
namespace {

const char kLib[] = "c:\\app\\default.ini";

TEST_F(LibraryTest, TheCategoryTreeSavesParentsFirstAndReadsBack) {
  TPlay& p = Play();
  p.AddFile("c:\\s1.mp3", 0);
  int c = p.AddCategory("C", -1, 2);
  int a = p.AddCategory("A", -1, 0);
  int b = p.AddCategory("B", a, 1);
  p.MutableCategoryAt(c).SiblingOrder = 1;  // the tree shows A before C
  p.MutableCategoryAt(a).SiblingOrder = 0;
  p.MutableCategoryAt(a).Password = "pa";
  p.AddFile("c:\\b1.mp3", b);
  p.AddFile("c:\\b2.mp3", b);
  p.AddFile("c:\\c1.mp3", c);
  int ext = p.AddCategory("plug-in", -1, 0);
  p.MutableCategoryAt(ext).External = true;
  p.AddFile("c:\\cd.mp3", 1);
  p.SetPlayCategory(b);
  ASSERT_TRUE(p.SaveCategories());
  EXPECT_EQ(fs.Data(kLib),
            "[标准]\r\npassword=\r\nc:\\s1.mp3=\r\n"
            "\r\n[类型(0)]\r\nName=A\r\nParent=-1\r\npassword=pa\r\nStyle=0\r\n"
            "\r\n[类型(1)]\r\nName=B\r\nParent=2\r\nStyle=1\r\nc:\\b1.mp3=\r\nc:\\b2.mp3=\r\n"
            "\r\n[类型(2)]\r\nName=C\r\nParent=-1\r\nStyle=2\r\nc:\\c1.mp3=\r\n");
  // The play category is stored as the index it gets when the file is read back.
  EXPECT_EQ(settings.values["参数/选择类别"], "3");
  EXPECT_FALSE(fs.Has("c:\\app\\default.ini.new"));

  Reopen();
  TPlay& q = Play();
  q.LoadCategories();
  ASSERT_EQ(q.CategoryCount, 5);
  struct Row {
    const char* name;
    int parent, kind, count;
    bool locked;
  } rows[] = {{"A", -1, 0, 0, true}, {"B", 2, 1, 2, false}, {"C", -1, 2, 1, false}};
  for (int i = 0; i < 3; ++i) {
    const TPlayList& l = q.CategoryAt(i + 2);
    EXPECT_EQ(l.Name, rows[i].name);
    EXPECT_EQ(l.Parent, rows[i].parent);
    EXPECT_EQ(l.Kind, rows[i].kind);
    EXPECT_EQ(l.Count, rows[i].count);
    EXPECT_EQ(l.Locked, rows[i].locked);
  }
  EXPECT_EQ(q.CategoryAt(2).Password, "pa");
  EXPECT_EQ(q.CategoryAt(1).Count, 0);
  EXPECT_EQ(q.CategoryAt(0).Count, 1);
  EXPECT_TRUE(q.CategoryAt(0).Items[0].Failed);
  EXPECT_EQ(q.PlayIndex, 3);
}

TEST_F(LibraryTest, SavingKeepsWhatTheFormatCanHold) {
  TPlay& p = Play();
  for (const char* f : {"c:\\Same.mp3", "d:\\x\\same.MP3"}) p.AddFile(f, 0);
  int c = p.AddCategory("A\r\n[标准]", -1, 0);
  for (const char* f : {"c:\\m\\One.mp3", "C:\\M\\ONE.MP3", "c:\\a=b.mp3", "password"}) p.AddFile(f, c);
  p.MutableCategoryAt(c).SiblingOrder = 99;  // outside the tree's range: still saved
  ASSERT_TRUE(p.SaveCategories());
  std::string text = fs.Data(kLib);
  auto sections = ParseProfile(text);
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[0].keys.size(), 3u);
  EXPECT_EQ(sections[1].Value("Name"), "A  [标准]");
  std::vector<std::string> keys;
  for (const auto& k : sections[1].keys) keys.push_back(std::string(k.name));
  // Paths differing in letter case are one key; "=" and reserved names cannot be keys.
  EXPECT_EQ(keys, (std::vector<std::string>{"Name", "Parent", "Style", "c:\\m\\One.mp3"}));
  // Names that readers would trim or unquote come back as they were.
  for (const char* name : {" padded ", "\"quoted\"", "'single'", "\"", "plain"}) {
    Reopen();
    fs.Delete(kLib);
    TPlay& w = Play();
    w.AddCategory(name, -1, 0);
    ASSERT_TRUE(w.SaveCategories());
    Reopen();
    TPlay& r = Play();
    r.LoadCategories();
    EXPECT_EQ(r.CategoryAt(2).Name, name);
  }
}

TEST_F(LibraryTest, LoadingReadsWhatTheSystemWrites) {
  fs.PutFile(kLib,
             "; written by hand\n[ 标准 ]\nPASSWORD = pw \n\nc:\\a.mp3=\nC:\\A.MP3=\n"
             "[类型(0)]\nname=\"Top\"\nstyle=1\nc:\\t.mp3\n"
             "[类型(1)]\nName=Orphan\nParent=9\nc:\\o.mp3=\n"
             "[类型(2)]\nName=Child\nParent=2\nName=ignored\npassword=\n");
  settings.values["参数/选择类别"] = "7";
  TPlay& p = Play();
  p.LoadCategories();
  ASSERT_EQ(p.CategoryCount, 4);
  EXPECT_EQ(p.CategoryAt(0).Password, "pw");
  EXPECT_TRUE(p.CategoryAt(0).Locked);
  EXPECT_EQ(Names(0), (std::vector<std::string>{"c:\\a.mp3"}));
  EXPECT_EQ(p.CategoryAt(2).Name, "Top");
  EXPECT_EQ(p.CategoryAt(2).Kind, 1);
  EXPECT_EQ(Names(2), (std::vector<std::string>{"c:\\t.mp3"}));
  EXPECT_EQ(p.CategoryAt(3).Name, "Child");
  EXPECT_EQ(p.CategoryAt(3).Parent, 2);
  EXPECT_FALSE(p.CategoryAt(3).Locked);
  EXPECT_EQ(p.PlayIndex, 0);  // 7 is outside
  // The load ends by saving: category 0 always has its password key.
  EXPECT_NE(fs.Data(kLib).find("[标准]\r\npassword=pw\r\n"), std::string::npos);
}

TEST_F(LibraryTest, NoLibraryFileLeavesTheBuiltInCategories) {
  TPlay& p = Play();
  p.LoadCategories();
  EXPECT_EQ(p.CategoryCount, 2);
  EXPECT_EQ(p.PlayIndex, 0);
  EXPECT_TRUE(fs.Has(kLib));
}

TEST_F(LibraryTest, AFailingSaveStepLeavesTheOldLibrary) {
  TPlay& p = Play();
  p.AddFile("c:\\old.mp3", 0);
  ASSERT_TRUE(p.SaveCategories());
  const std::string old = fs.Data(kLib);
  p.AddFile("c:\\new.mp3", 0);
  struct Step {
    const char* what;
    std::function<void()> arm;
  } steps[] = {
      {"create", [&] { fs.fail_create = true; }},
      {"write", [&] { fs.write_budget = 20; }},
      {"flush", [&] { fs.fail_flush = true; }},
      {"replace", [&] { fs.fail_replace = true; }},
  };
  for (const Step& s : steps) {
    s.arm();
    EXPECT_FALSE(p.SaveCategories()) << s.what;
    fs.fail_create = fs.fail_flush = fs.fail_replace = false;
    fs.write_budget = -1;
    EXPECT_EQ(fs.Data(kLib), old) << s.what;
    EXPECT_FALSE(fs.Has("c:\\app\\default.ini.new")) << s.what;
  }
  EXPECT_TRUE(p.SaveCategories());
  EXPECT_NE(fs.Data(kLib).find("c:\\new.mp3="), std::string::npos);
}

TEST_F(LibraryTest, NoSaveRunsInTheMiddleOfALoad) {
  std::string text = "[标准]\r\npassword=\r\n";
  for (int i = 0; i < 20; ++i) text += "c:\\" + std::to_string(i) + ".mp3=\r\n";
  fs.PutFile(kLib, text);
  TPlay& p = Play();
  int saves_seen = 0;
  // A timer (the CD drive watch) saves, and a command adds a file, while the load lets
  // messages run.
  verbs.on_pump = [&] {
    if (p.CategoryAt(0).Count == 5) {
      EXPECT_FALSE(p.SaveCategories());
      p.BeginAdd();
      p.AddFile("c:\\extra.mp3", 0);
      p.EndAdd(0);
      saves_seen = fs.replaces;
    }
  };
  p.LoadCategories();
  verbs.on_pump = nullptr;
  EXPECT_EQ(saves_seen, 0);
  EXPECT_EQ(fs.replaces, 1);
  const std::string saved = fs.Data(kLib);
  auto sections = ParseProfile(saved);
  ASSERT_EQ(sections.size(), 1u);
  EXPECT_EQ(sections[0].keys.size(), 22u);
}

TEST_F(LibraryTest, ALibraryFileNotReadWholeIsNeverOverwritten) {
  std::string text = "[标准]\r\npassword=\r\n";
  for (int i = 0; i < 10; ++i) text += "c:\\" + std::to_string(i) + ".mp3=\r\n";
  struct Case {
    const char* what;
    std::function<void(TPlay&)> during;  // while the load lets messages run
    bool unreadable;
  } cases[] = {
      {"adds refused in the middle", [](TPlay& p) { if (p.CategoryAt(0).Count == 4) p.AbortAdd = true; }, false},
      {"file cannot be read", nullptr, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reopen();
    fs.PutFile(kLib, text);
    TPlay& p = Play();
    if (c.during) verbs.on_pump = [&] { c.during(p); };
    fs.fail_open_read = c.unreadable;
    p.LoadCategories();
    fs.fail_open_read = false;
    verbs.on_pump = nullptr;
    EXPECT_TRUE(p.LoadIncomplete());
    p.AbortAdd = false;
    p.AddFile("c:\\later.mp3", 0);
    EXPECT_FALSE(p.SaveCategories());
    EXPECT_EQ(fs.Data(kLib), text);
  }
}

TEST_F(LibraryTest, LegacyListImportSkipsABadParentOnly) {
  TLegacyList legacy;
  legacy.Present = true;
  legacy.PlayIndex = 3;
  legacy.StandardPassword = "old";
  legacy.StandardFiles = {"c:\\s.mp3"};
  legacy.Custom = {{"first", -5, 2, "", {"c:\\f.mp3"}},
                   {"bad", 7, 0, "", {"c:\\bad.mp3"}},
                   {"third", 2, 0, "p3", {"c:\\t1.mp3", "c:\\t2.mp3"}}};
  fs.PutFile(kLib, "[类型(0)]\r\nName=from file\r\nParent=-1\r\nStyle=0\r\nc:\\x.mp3=\r\n");
  TPlay& p = Play();
  p.LoadCategories(&legacy);
  ASSERT_EQ(p.CategoryCount, 5);
  EXPECT_EQ(p.CategoryAt(0).Password, "old");
  EXPECT_EQ(Names(0), (std::vector<std::string>{"c:\\s.mp3"}));
  EXPECT_EQ(p.CategoryAt(2).Name, "first");
  EXPECT_EQ(p.CategoryAt(2).Parent, -1);
  EXPECT_EQ(p.CategoryAt(2).Kind, 2);
  EXPECT_EQ(p.CategoryAt(3).Name, "third");
  EXPECT_EQ(p.CategoryAt(3).Parent, 2);
  EXPECT_TRUE(p.CategoryAt(3).Locked);
  EXPECT_EQ(Names(3), (std::vector<std::string>{"c:\\t1.mp3", "c:\\t2.mp3"}));
  EXPECT_EQ(p.CategoryAt(4).Name, "from file");
  EXPECT_EQ(fs.replaces, 1);  // one save, at the end
}

TEST_F(LibraryTest, M3UListsAddTheirLinesToTheViewCategory) {
  fs.PutFile("c:\\Lists\\My List.m3u",
             "c:\\a.mp3\r\n#EXTM3U\r\n\r\n  c:\\b.mp3  \nC:\\LISTS\\MYLIST~1.M3U\r\nc:\\lists\\my list.m3u\r\nc:\\lists\\other.m3u\r\n",
             "C:\\LISTS\\MYLIST~1.M3U");
  fs.PutFile("c:\\lists\\other.m3u", "c:\\c.mp3\r\nc:\\lists\\my list.m3u\r\n");
  TPlay& p = Play();
  int c = p.AddCategory("v", -1, 0);
  p.ViewIndex = c;
  EXPECT_FALSE(p.AddFile("c:\\Lists\\My List.m3u", 0));
  EXPECT_EQ(Names(c), (std::vector<std::string>{"c:\\a.mp3", "#EXTM3U", "c:\\b.mp3", "c:\\c.mp3"}));
  EXPECT_TRUE(p.Entry(c, 1)->Failed);
  EXPECT_EQ(p.CategoryAt(0).Count, 0);
}

TEST_F(LibraryTest, M3UExport) {
  struct UI : IM3UExportUI {
    bool ok = true;
    int failed = 0, asked = 0;
    std::string path = "c:\\out\\list.m3u";
    bool ChooseFile(std::string& p) override {
      ++asked;
      p = path;
      return ok;
    }
    void SaveFailed() override { ++failed; }
  } ui;
  fs.PutFolder("c:\\out\\");
  TPlay& p = Play();
  p.ExportM3U(0, ui);  // empty category: no dialog
  EXPECT_EQ(ui.asked, 0);
  p.AddFile("c:\\a.mp3", 0);
  p.AddFile("c:\\歌\\b.mp3", 0);
  p.ExportM3U(0, ui);
  EXPECT_EQ(fs.Data("c:\\out\\list.m3u"), "c:\\a.mp3\r\nc:\\歌\\b.mp3\r\n");
  EXPECT_EQ(ui.failed, 0);
  ui.path = "c:\\nofolder\\list.m3u";
  p.ExportM3U(0, ui);
  EXPECT_EQ(ui.failed, 1);
  ui.ok = false;
  p.ExportM3U(0, ui);
  EXPECT_EQ(ui.failed, 1);
}

TEST_F(LibraryTest, PlayCounts) {
  fs.PutFile("c:\\a.mp3", "");
  fs.PutFile("c:\\app\\count.dat", "[播放文件]\r\nc:\\b.mp3=4\r\n");
  TPlay& p = Play();
  Observer o;
  p.AddObserver(&o);
  p.CountPlay("c:\\a.mp3");
  p.CountPlay("c:\\a.mp3");
  p.CountPlay("c:\\missing.mp3");
  EXPECT_EQ(p.PlayCount("c:\\a.mp3"), 2);
  EXPECT_EQ(p.PlayCount("c:\\b.mp3"), 4);
  EXPECT_EQ(p.PlayCount("c:\\missing.mp3"), 0);
  EXPECT_EQ(settings.values["播放/播放总数"], "2");
  EXPECT_EQ(settings.values["播放/当前文件"], "c:\\a.mp3");
  EXPECT_EQ(o.log.back(), "count c:\\a.mp3=2");
  EXPECT_EQ(fs.Data("c:\\app\\count.dat"), "[播放文件]\r\nc:\\b.mp3=4\r\nc:\\a.mp3=2\r\n");
  // Shown counts off: every count reads 0 while counting goes on.
  settings.values["播放/播放记数"] = "0";
  p.CountPlay("c:\\a.mp3");
  EXPECT_EQ(p.PlayCount("c:\\a.mp3"), 0);
  EXPECT_NE(fs.Data("c:\\app\\count.dat").find("c:\\a.mp3=3"), std::string::npos);
  // Counting off: only the totals move.
  settings.values["播放/允许记数"] = "0";
  settings.values["播放/播放记数"] = "1";
  p.CountPlay("c:\\a.mp3");
  EXPECT_EQ(p.PlayCount("c:\\a.mp3"), 3);
  EXPECT_EQ(settings.values["播放/播放总数"], "4");
}

}  // namespace
}  // namespace sd::test

namespace sd::test {
namespace {

// Start-up with songs (one missing), a list and a folder on the command line, then exit;
// the next start finds the same library.
TEST_F(LibraryTest, AStartAddsArgumentsAndTheNextStartFindsThem) {
  fs.PutFile(kLib, "[标准]\r\npassword=\r\n\r\n[类型(0)]\r\nName=Play\r\nParent=-1\r\nStyle=0\r\n");
  settings.values["参数/选择类别"] = "2";
  fs.PutFile("c:\\m\\one.mp3", "");
  fs.PutFile("c:\\m\\two.mp3", "");
  fs.PutFile("c:\\l\\list.m3u", "c:\\m\\one.mp3\r\nc:\\m\\listed.mp3\r\n");
  fs.PutFile("c:\\f\\in folder.mp3", "");
  fs.PutFile("c:\\f\\sub\\deeper.mp3", "");
  const std::string expect =
      "[标准]\r\npassword=\r\nc:\\m\\one.mp3=\r\nc:\\m\\listed.mp3=\r\nc:\\f\\in folder.mp3=\r\n"
      "c:\\f\\sub\\deeper.mp3=\r\n"
      "\r\n[类型(0)]\r\nName=Play\r\nParent=-1\r\nStyle=0\r\nc:\\m\\one.mp3=\r\nc:\\m\\two.mp3=\r\n"
      "c:\\m\\gone.mp3=\r\n";
  {
    TPlay& p = Play();
    p.LoadCategories();
    ASSERT_EQ(p.PlayIndex, 2);
    const int saves = fs.replaces;
    {
      TAddOperation op(p, p.PlayIndex);
      for (const char* arg : {"c:\\m\\one.mp3", "c:\\m\\two.mp3", "c:\\m\\gone.mp3", "c:\\l\\list.m3u", "c:\\f"})
        p.AddFile(arg, p.PlayIndex);
      EXPECT_EQ(fs.replaces, saves);
    }
    EXPECT_EQ(fs.replaces, saves + 1);  // the end of the operation saved
    EXPECT_EQ(p.FirstAdded, "c:\\m\\one.mp3");
    p.FlushTags();
    p.SaveCategories();  // exit
    EXPECT_EQ(fs.Data(kLib), expect);
  }
  Reopen();
  TPlay& q = Play();
  q.LoadCategories();
  EXPECT_EQ(q.PlayIndex, 2);
  EXPECT_EQ(Names(0), (std::vector<std::string>{"c:\\m\\one.mp3", "c:\\m\\listed.mp3", "c:\\f\\in folder.mp3",
                                                "c:\\f\\sub\\deeper.mp3"}));
  EXPECT_EQ(Names(2), (std::vector<std::string>{"c:\\m\\one.mp3", "c:\\m\\two.mp3", "c:\\m\\gone.mp3"}));
  EXPECT_TRUE(q.CategoryAt(2).Items[2].Failed);
  EXPECT_EQ(fs.Data(kLib), expect);
}

}  // namespace
}  // namespace sd::test
