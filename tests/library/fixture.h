// A library wired to an in-memory file system and recording seams.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "library/memfs.h"
#include "library/play.h"

namespace sd::test {

struct Verbs : IVerbSink {
  std::vector<std::pair<std::string, std::string>> run;
  int pumps = 0;
  std::function<void()> on_pump;  // what "pending messages" do
  void RunVerb(const std::string& v, const std::string& a) override { run.push_back({v, a}); }
  void ProcessMessages() override {
    ++pumps;
    if (on_pump) {
      auto f = on_pump;  // a message may run only once at a time
      on_pump = nullptr;
      f();
      on_pump = f;
    }
  }
};

struct Digits : ISongNumberDisplay {
  std::vector<int> last{-1, -1, -1};
  void ShowSongNumber(int h, int t, int u) override { last = {h, t, u}; }
};

struct Passwords : IPasswordPrompt {
  std::vector<std::pair<bool, std::string>> answers;  // scripted replies, in order
  std::vector<std::string> prompts;
  int wrong = 0;
  bool AskPassword(const std::string& prompt, std::string& text) override {
    prompts.push_back(prompt);
    if (answers.empty()) return false;
    auto a = answers.front();
    answers.erase(answers.begin());
    text = a.second;
    return a.first;
  }
  void WrongPassword() override { ++wrong; }
};

struct Settings : ISettings {
  std::map<std::string, std::string> values;  // "section/key"
  std::string ReadString(const std::string& s, const std::string& k, const std::string& def) override {
    auto it = values.find(s + "/" + k);
    return it == values.end() ? def : it->second;
  }
  void WriteString(const std::string& s, const std::string& k, const std::string& v) override {
    values[s + "/" + k] = v;
  }
};

// Records every notification as a short text.
struct Observer : IPlayObserver {
  std::vector<std::string> log;
  std::vector<int> shown;  // categories this window shows
  bool ShowsCategory(const TPlay&, int c) override {
    for (int s : shown)
      if (s == c) return true;
    return false;
  }
  void EntryAdded(int c, int e) override { log.push_back("add " + std::to_string(c) + ":" + std::to_string(e)); }
  void EntryRemoved(int c, int e) override { log.push_back("remove " + std::to_string(c) + ":" + std::to_string(e)); }
  void EntryMoved(int c, int f, int t) override {
    log.push_back("move " + std::to_string(c) + ":" + std::to_string(f) + ">" + std::to_string(t));
  }
  void EntryChanged(int c, int e) override { log.push_back("changed " + std::to_string(c) + ":" + std::to_string(e)); }
  void CategoryAdded(int i) override { log.push_back("category+ " + std::to_string(i)); }
  void CategoryDeleted(int i) override { log.push_back("category- " + std::to_string(i)); }
  void CategoryRenamed(int i) override { log.push_back("rename " + std::to_string(i)); }
  void CategoryLockChanged(int i) override { log.push_back("lock " + std::to_string(i)); }
  void PlayCategoryChanged(int i) override { log.push_back("play " + std::to_string(i)); }
  void ViewCategoryChanged(int i) override { log.push_back("view " + std::to_string(i)); }
  void PlayCountChanged(const std::string& k, int32_t n) override { log.push_back("count " + k + "=" + std::to_string(n)); }
};

struct ScriptedRandom : IRandomSource {
  int reseeds = 0;
  uint32_t next = 0;
  std::vector<uint32_t> asked;
  void Reseed() override { ++reseeds; }
  uint32_t Below(uint32_t n) override {
    asked.push_back(n);
    return next % n;
  }
};

class LibraryTest : public ::testing::Test {
 protected:
  LibraryTest() { fs.PutFolder("c:\\"); fs.PutFolder("c:\\app\\"); }
  TPlaySeams Seams() {
    TPlaySeams s;
    s.fs = &fs;
    s.verbs = &verbs;
    s.digits = &digits;
    s.passwords = &passwords;
    s.random = &random;
    s.settings = &settings;
    s.library_file = "c:\\app\\default.ini";
    s.count_file = "c:\\app\\count.dat";
    return s;
  }
  TPlay& Play() {
    if (!play_) play_ = std::make_unique<TPlay>(Seams());
    return *play_;
  }
  void Reopen() { play_.reset(); }
  std::vector<std::string> Names(int category) {
    std::vector<std::string> out;
    for (const auto& e : Play().CategoryAt(category).Items) out.push_back(e.FileName);
    return out;
  }

  MemFileSystem fs;
  Verbs verbs;
  Digits digits;
  Passwords passwords;
  ScriptedRandom random;
  Settings settings;
  std::unique_ptr<TPlay> play_;
};

}  // namespace sd::test
