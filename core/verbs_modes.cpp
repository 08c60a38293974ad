// Switch verbs of the play modes, and the transport verbs that only talk to the engine.
#include "core/commands.h"
#include "core/verbs.h"
#include "engines/plus_api.h"
#include "shell/option.h"

namespace sd::verbs {

namespace {
template <typename Get, typename Set>
void Toggle(const std::string& arg, Get get, Set set) {
  if (TOption* o = Option()) (o->*set)(SwitchValue(arg, (o->*get)()));
}

void Seek(bool forward, const std::string& arg) {
  TOption* o = Option();
  if (!o || (o->PlayState() != kStatePlaying && o->PlayState() != kStatePaused)) return;
  SendCurrentEngine(PM_SEEK, SeekTarget(forward, arg, o->Position(), o->TotalTime()));
}
}  // namespace

void Only(const std::string& a) { Toggle(a, &TOption::Single, &TOption::SetSingle); }
void Time(const std::string& a) { Toggle(a, &TOption::RemainingTime, &TOption::SetRemainingTime); }
void EQEnabled(const std::string& a) { Toggle(a, &TOption::EQEnabled, &TOption::SetEQEnabled); }
void EQAutoSet(const std::string& a) { Toggle(a, &TOption::EQAutoSelect, &TOption::SetEQAutoSelect); }
void Repeat(const std::string& a) { Toggle(a, &TOption::Repeat, &TOption::SetRepeat); }
void Shuffle(const std::string& a) { Toggle(a, &TOption::Shuffle, &TOption::SetShuffle); }
void OnTop(const std::string& a) { Toggle(a, &TOption::OnTop, &TOption::SetOnTop); }

void Pause(const std::string&) { SendCurrentEngine(PM_PAUSE, 0); }
void Forward(const std::string& a) { Seek(true, a); }
void Rewind(const std::string& a) { Seek(false, a); }

const char* PlayPauseTarget() {
  TOption* o = Option();
  int s = o ? o->PlayState() : 0;
  return (s == kStatePlaying || s == kStatePaused) ? "#pause" : "#play";
}

}  // namespace sd::verbs
