#include "app/library_host.h"

#include <windows.h>

#include "core/commands.h"
#include "core/paths.h"
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
  seams.library_file = Paths().LibraryFile;
  seams.count_file = Paths().CountFile;
  return std::make_unique<TPlay>(seams);
}

void LoadLibrary(TPlay& play) { play.LoadCategories(nullptr); }

void CloseLibrary(TPlay& play) {
  play.StopAdding();
  play.AbortAdd = true;
  if (play.Finder) play.Finder->Cancel();
  play.FlushTags();
  play.SaveCategories();
}

}  // namespace sd
