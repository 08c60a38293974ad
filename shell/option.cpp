#include "shell/option.h"

#include <windows.h>

#include "app/startup.h"
#include "core/commands.h"
#include "core/files.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/text.h"
#include "engines/plus.h"
#include "shell/bindings.h"
#include "shell/main_form.h"
#include "ui/app.h"

namespace sd {

namespace {
TOption* g_option = nullptr;
}

TOption* Option() { return g_option; }
void SetOption(TOption* o) { g_option = o; }

CommandsSuspended::CommandsSuspended() : option_(g_option) {
  if (option_) option_->SetCommandsEnabled(false);
}
CommandsSuspended::~CommandsSuspended() {
  if (option_) option_->SetCommandsEnabled(true);
}

TOption::TOption(TPlay* play)
    : PlayControl(play, this),
      deferred_([](const std::string& v, const std::string& a) { ExecCommand(v, a); }),
      tenthTimer_(100, [this] { TenthTick(); }),
      stateTimer_(1, [this] {
        stateTimer_.SetEnabled(false);
        EndOfTrack();
      }) {
  MirrorOptions();
}

TOption::~TOption() {
  tenthTimer_.SetEnabled(false);
  stateTimer_.SetEnabled(false);
  SaveOptions();
}

void TOption::OptionsChanged() {
  MirrorOptions();
  NotifyEngines();
}

void TOption::MirrorOptions() {
  rec::TOptionRec& o = StatusRecord().Options;
  o.OnTop = onTop_;
  o.SingleSong = Single();
  o.Shuffle = Shuffle();
  o.Repeat = Repeat();
  o.RemainingTime = RemainingTime();
  o.EQEnabled = eqEnabled_;
  o.HotKeys = hotKeys_;
  o.PlayerLine = playerLine_;
}

// Each setter stores the value, updates what shows it, then tells the loaded engines. The
// skin's switches and the menus' check marks follow here as they are built.
void TOption::SetSingle(bool on) {
  PlayControl::SetSingle(on);
  OptionsChanged();
}
void TOption::SetRepeat(bool on) {
  PlayControl::SetRepeat(on);
  SetBindingState(kBindRepeat, on ? 3 : 0);
  OptionsChanged();
}
void TOption::SetShuffle(bool on) {
  PlayControl::SetShuffle(on);
  SetBindingState(kBindShuffle, on ? 3 : 0);
  OptionsChanged();
}
void TOption::SetRemainingTime(bool on) {
  PlayControl::SetRemainingTime(on);
  OptionsChanged();
}
void TOption::SetOnTop(bool on) {
  onTop_ = on;
  SetBindingState(kBindOnTop, on ? 1 : 0);
  if (MainForm* m = MainForm::Instance())
    SetWindowPos(m->hwnd(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  OptionsChanged();
}
void TOption::SetEQEnabled(bool on) {
  eqEnabled_ = on;
  OptionsChanged();
}
void TOption::SetEQAutoSelect(bool on) {
  eqAuto_ = on;
  NotifyEngines();
}
void TOption::SetPlayerLine(int line) {
  // The mixer clamps the line to its sources once mixer access exists.
  playerLine_ = line;
  OptionsChanged();
}

void TOption::SetCommandsEnabled(bool on) {
  if (on) {
    if (suspended_ > 0) --suspended_;
  } else {
    ++suspended_;
  }
}

void TOption::SetTitle(const std::string& text) {
  if (ShuttingDown()) return;
  ui::Application::Get().SetTitle(text.empty() ? std::string(kAppTitle) : text + " " + kAppTitle);
}

void TOption::LoadOptions() {
  IniFile ini = Settings();
  for (int n = 0; n < 20; ++n) SetEQBand(n, ini.ReadInteger("EQ均衡", "EQ[" + std::to_string(n) + "]", 0));
  SetRepeat(ini.ReadBool("播放", "循环", false));
  SetShuffle(ini.ReadBool("播放", "随机", false));
  SetSingle(ini.ReadBool("播放", "单曲播放", false));
  SetRemainingTime(ini.ReadBool("播放", "时间显示", false));
  SetEQEnabled(ini.ReadBool("播放", "EQ均衡", false));
  SetEQAutoSelect(ini.ReadBool("播放", "EQ自动", false));
  SetPlayerLine(ini.ReadInteger("播放", "声道", 0));
  SetOnTop(ini.ReadBool("参数", "窗口位置", false));
  LastFolder() = ini.ReadString("参数", "打开位置", LastFolder());
  // The skin, the association check and the spectrum join here as they are built.
  if (ini.ReadBool("参数", "自动播放", false) && !PlayMode()) ExecCommand("#Play");
  if (TPlus* p = Plus()) {
    for (const TPlusRec& r : std::vector<TPlusRec>(p->Engines))
      if ((r.Flags & kPlusFlagGeneral) && !p->IsHidden(r.Guid)) ExecCommand("#StartUp", r.Guid);
  }
}

void TOption::SaveOptions() {
  if (saved_ || Paths().SettingsFile.empty()) return;
  saved_ = true;
  IniFile ini = Settings();
  // The whole section goes first: keys other windows kept there go with it.
  ini.EraseSection("EQ均衡");
  for (int n = 0; n < 20; ++n) ini.WriteInteger("EQ均衡", "EQ[" + std::to_string(n) + "]", EQBand(n));
  ini.WriteBool("播放", "循环", Repeat());
  ini.WriteBool("播放", "随机", Shuffle());
  ini.WriteBool("播放", "单曲播放", Single());
  ini.WriteBool("播放", "时间显示", RemainingTime());
  ini.WriteBool("播放", "EQ均衡", eqEnabled_);
  ini.WriteBool("播放", "EQ自动", eqAuto_);
  ini.WriteInteger("播放", "声道", playerLine_);
  ini.WriteBool("参数", "窗口位置", onTop_);
  ini.WriteString("参数", "打开位置", LastFolder());
  ini.WriteBool("参数", "使用热键", hotKeys_);
}

void TOption::IssueVerb(const std::string& verb, const std::string& arg) { ExecCommand(verb, arg); }

std::string TOption::FileKey(const std::string& file) {
  char buf[MAX_PATH * 2];
  DWORD n = GetShortPathNameA(file.c_str(), buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return "";
  return LowerAscii(std::string(buf, n));
}

bool TOption::StartEngine(const std::string& keyExt, const std::string& fileName) {
  TPlus* p = Plus();
  if (!p) return false;
  int priority = Settings().ReadInteger("播放", "优先级", 4);
  return p->PlayFile(keyExt, fileName, priority);
}

void TOption::StopEngine() {
  if (TPlus* p = Plus()) p->StopCurrent();
}

void TOption::ClearReadOnly(const std::string& file) {
  DWORD a = GetFileAttributesA(file.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY)) SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void TOption::PlayStateChanged(int, int newState) {
  tenthTimer_.SetEnabled(newState == kStatePlaying);
  SetBindingState(kBindPlayLamp, 0);
  SetBindingState(kBindPauseLamp, 0);
  if (newState == kStatePlaying) SetBindingState(kBindPlayLamp, 1);
  if (newState == kStatePaused) SetBindingState(kBindPauseLamp, 1);
  StatusRecord().State = newState;
  // The information display, the spectrum and the video window follow here.
}

void TOption::ShowTimeText(const std::string& text) { SetBindingText(kBindTime, text); }
void TOption::ShowFraction(double fraction) { SetPositionFraction(fraction); }
// The equaliser array goes to the engine here once the equaliser exists, and the lyrics
// lamp lights when the song has lyrics.
void TOption::EngineStarted() {}
void TOption::PlaybackStopped() { SetBindingState(kBindLyricsLamp, 0); }

void TOption::NotifyEngines() {
  if (TPlus* p = Plus()) p->NotifyAll();
}

bool TOption::ShuttingDown() { return sd::ShuttingDown(); }

}  // namespace sd
