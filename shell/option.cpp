#include "shell/option.h"

#include <windows.h>

#include "core/commands.h"
#include "core/paths.h"
#include "core/settings.h"
#include "shell/main_form.h"

namespace sd {

namespace {
TOption* g_option = nullptr;
}

TOption* Option() { return g_option; }
void SetOption(TOption* o) { g_option = o; }

TOption::TOption() : deferred_([](const std::string& v, const std::string& a) { ExecCommand(v, a); }) {}

TOption::~TOption() { SaveOptions(); }

void TOption::SetPlayState(int state) {
  // Any value outside the known states counts as an error.
  playState_ = (state >= 0 && state <= 4) ? state : 4;
}

void TOption::SetOnTop(bool on) {
  onTop_ = on;
  if (MainForm* m = MainForm::Instance())
    SetWindowPos(m->hwnd(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TOption::SetCommandsEnabled(bool on) {
  if (on) {
    if (suspended_ > 0) --suspended_;
  } else {
    ++suspended_;
  }
}

void TOption::LoadOptions() {
  IniFile ini = Settings();
  repeat_ = ini.ReadBool("播放", "循环", false);
  shuffle_ = ini.ReadBool("播放", "随机", false);
  single_ = ini.ReadBool("播放", "单曲播放", false);
  remaining_ = ini.ReadBool("播放", "时间显示", false);
  eqEnabled_ = ini.ReadBool("播放", "EQ均衡", false);
  eqAuto_ = ini.ReadBool("播放", "EQ自动", false);
  SetOnTop(ini.ReadBool("参数", "窗口位置", false));
  LastFolder() = ini.ReadString("参数", "打开位置", LastFolder());
  // Equaliser bands, skin, associations, automatic play, spectrum and plug-ins join here
  // as their parts of the player are built.
}

void TOption::SaveOptions() {
  if (Paths().SettingsFile.empty()) return;
  IniFile ini = Settings();
  ini.WriteBool("播放", "循环", repeat_);
  ini.WriteBool("播放", "随机", shuffle_);
  ini.WriteBool("播放", "单曲播放", single_);
  ini.WriteBool("播放", "时间显示", remaining_);
  ini.WriteBool("播放", "EQ均衡", eqEnabled_);
  ini.WriteBool("播放", "EQ自动", eqAuto_);
  ini.WriteBool("参数", "窗口位置", onTop_);
  ini.WriteString("参数", "打开位置", LastFolder());
}

}  // namespace sd
