// Verbs that act on the main window and the volume state.
#include <windows.h>
#include <shellapi.h>

#include "core/commands.h"
#include "core/verbs.h"
#include "shell/main_form.h"
#include "shell/option.h"
#include "ui/app.h"

namespace sd::verbs {

namespace {
// Applies the volume state to the player line of the mixer, when a mixer is available.
void ApplyVolume() {}

void ChangeVolume(VolumeState (*f)(VolumeState)) {
  if (TOption* o = Option()) {
    o->Volume() = f(o->Volume());
    ApplyVolume();
  }
}
}  // namespace

void CenterWindow(const std::string&) {
  if (MainForm* m = MainForm::Instance()) m->CenterOnScreen();
}

void VolCenter(const std::string&) { ChangeVolume(sd::VolCenter); }
void VolLeft(const std::string&) { ChangeVolume(sd::VolLeft); }
void VolRight(const std::string&) { ChangeVolume(sd::VolRight); }
void SoundDown(const std::string&) { ChangeVolume(sd::SoundDown); }
void SoundUp(const std::string&) { ChangeVolume(sd::SoundUp); }

void Silent(const std::string& arg) {
  if (TOption* o = Option()) {
    o->Volume().mute = SwitchValue(arg, o->Volume().mute);
    ApplyVolume();
  }
}

void Minimize(const std::string&) {
  if (MainForm* m = MainForm::Instance()) m->Minimize();
}

void Normal(const std::string&) {
  if (MainForm* m = MainForm::Instance()) m->ShowNormal();
}

void Exit(const std::string&) {
  if (MainForm* m = MainForm::Instance()) SendMessageA(m->hwnd(), WM_CLOSE, 0, 0);
  ui::Application::Get().Terminate(0);
}

void Search(const std::string&) { ShellExecuteA(nullptr, "find", nullptr, nullptr, nullptr, SW_SHOWNORMAL); }

void Extract(const std::string&) {
  // Lets pending messages run; toggling the clicked skin window comes with the skin windows.
  ui::Application::Get().ProcessMessages();
}

}  // namespace sd::verbs
