#include "app/library_host.h"

#include "app/folder_search.h"

#include <windows.h>

#include "core/commands.h"
#include "core/paths.h"
#include "core/reg.h"
#include "core/text.h"
#include "core/settings.h"
#include "engines/plus.h"
#include "library/play.h"
#include "library/status_texts.h"
#include "library/win32_fs.h"
#include "ui/app.h"
#include "ui/prompt.h"
#include "windows/login_form.h"

namespace sd {

namespace {

TPlay* g_library = nullptr;

class PlayerSeams : public IVerbSink, public IPasswordPrompt, public ICurrentSongSink, public ISettings {
 public:
  void RunVerb(const std::string& verb, const std::string& arg) override { ExecCommand(verb, arg); }
  void ProcessMessages() override { ui::Application::Get().ProcessMessages(); }

  bool AskPassword(const std::string& prompt, std::string& text) override { return RunLoginForm(prompt, text); }
  void WrongPassword() override { ui::ShowMessage("密码不正确!", MB_ICONWARNING); }

  void CurrentSongChanged(const TTagRec& song) override { texts_.SetSong(StatusRecord().Song, song); }
  void CurrentRefreshed() override {
    if (TPlus* p = Plus()) p->NotifyAll();
  }

  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) override {
    return Settings().ReadString(section, key, def);
  }
  void WriteString(const std::string& section, const std::string& key, const std::string& value) override {
    Settings().WriteString(section, key, value);
  }

  Win32FileSystem fs;
  // The walk's own file system object: it is used from the search thread.
  Win32FileSystem searchFs;
  ThreadedFolderSearch search{searchFs};

 private:
  TStatusSongTexts texts_;
};

PlayerSeams& Seams() {
  static PlayerSeams seams;
  return seams;
}

}  // namespace

TPlay* Library() { return g_library; }
void SetLibrary(TPlay* play) { g_library = play; }

std::unique_ptr<TPlay> CreateLibrary() {
  PlayerSeams& s = Seams();
  TPlaySeams seams;
  seams.fs = &s.fs;
  seams.verbs = &s;
  seams.passwords = &s;
  seams.current = &s;
  seams.settings = &s;
  seams.search = &s.search;
  seams.library_file = Paths().LibraryFile;
  seams.count_file = Paths().CountFile;
  return std::make_unique<TPlay>(seams);
}

namespace {
// The registry list of older versions, below the program's key: "文件列表" (default value:
// the play category), "文件列表\标准" (category 0) and a sub-key of "文件列表\自定义" per category.
TLegacyList ReadLegacyList() {
  TLegacyList list;
  TReg reg;
  std::vector<std::string> keys;
  // Look before opening: opening creates a key that is not there.
  if (!reg.KeyExists("文件列表")) return list;
  list.Present = true;
  // Numbers were stored as numbers; a text of digits reads too.
  auto number = [&reg](const std::string& name, int def) {
    int v = reg.ReadRegInteger(name, INT32_MIN);
    return v != INT32_MIN ? v : TextToInt(reg.ReadRegString(name, ""), def);
  };
  if (reg.OpenRegKey("文件列表")) list.PlayIndex = number("", 0);
  std::vector<std::string> names;
  if (reg.OpenRegKey("文件列表\\标准")) {
    reg.RegValueNames(names);
    for (const std::string& n : names) {
      if (TextEquals(n, "password"))
        list.StandardPassword = reg.ReadRegString(n, "");
      else if (!n.empty())
        list.StandardFiles.push_back(reg.ReadRegString(n, ""));
    }
  }
  if (reg.OpenRegKey("文件列表\\自定义")) {
    reg.RegKeyNames(keys);
    for (const std::string& k : keys) {
      if (!reg.OpenRegKey("文件列表\\自定义\\" + k)) continue;
      TLegacyCategory c;
      c.Name = reg.ReadRegString("", "");
      c.Parent = number("Parent", -1);
      c.Style = number("Style", 0);
      c.Password = reg.ReadRegString("password", "");
      reg.RegValueNames(names);
      for (const std::string& n : names)
        if (!n.empty() && !TextEquals(n, "Style") && !TextEquals(n, "Parent") && !TextEquals(n, "password"))
          c.Files.push_back(reg.ReadRegString(n, ""));
      list.Custom.push_back(c);
    }
  }
  reg.CloseRegKey();
  return list;
}
}  // namespace

void LoadLibrary(TPlay& play) {
  TLegacyList legacy = ReadLegacyList();
  play.LoadCategories(legacy.Present ? &legacy : nullptr);
}

void CloseLibrary(TPlay& play) {
  play.StopAdding();
  play.AbortAdd = true;
  if (play.Finder) play.Finder->Cancel();
  play.FlushTags();
  play.SaveCategories();
}

}  // namespace sd
