// The play options object: the play modes and play state with the transport logic
// (PlayControl), the time and state timers, the suspension of the player's own inputs while a
// modal dialog is open, and the deferred-command slot. It is the transport logic's host:
// engines, displays and verbs are reached from here.
#pragma once
#include <string>

#include "core/deferred.h"
#include "core/volume.h"
#include "shell/play_control.h"
#include "ui/timer.h"

namespace sd {

class TOption : public PlayControl, public IPlayHost {
 public:
  explicit TOption(TPlay* play = nullptr);
  ~TOption() override;  // saves the options

  DeferredCommands& Deferred() { return deferred_; }

  bool OnTop() const { return onTop_; }
  bool EQEnabled() const { return eqEnabled_; }
  bool EQAutoSelect() const { return eqAuto_; }
  bool HotKeys() const { return hotKeys_; }
  int PlayerLine() const { return playerLine_; }
  void SetSingle(bool on);
  void SetRepeat(bool on);
  void SetShuffle(bool on);
  void SetRemainingTime(bool on);
  void SetOnTop(bool on);
  void SetEQEnabled(bool on);
  void SetEQAutoSelect(bool on);
  void SetPlayerLine(int line);
  // The twenty equaliser bands as stored; the equaliser applies them once it exists.
  int EQBand(int band) const { return (band >= 0 && band < 20) ? bands_[band] : 0; }
  void SetEQBand(int band, int value) {
    if (band >= 0 && band < 20) bands_[band] = value;
  }

  // Every state report starts the end-of-track rule after the report has returned.
  void StartEndOfTrack() { stateTimer_.SetEnabled(true); }
  bool EndOfTrackPending() const { return stateTimer_.Enabled(); }

  // Suspensions nest: commands are enabled again when every suspension has been lifted.
  void SetCommandsEnabled(bool on);
  bool CommandsEnabled() const { return suspended_ == 0; }

  VolumeState& Volume() { return volume_; }

  // Application title (and tray tip): text + " " + the title, or the title alone.
  void SetTitle(const std::string& text);

  void LoadOptions();
  void SaveOptions();

  // IPlayHost.
  void IssueVerb(const std::string& verb, const std::string& arg) override;
  std::string FileKey(const std::string& file) override;
  bool StartEngine(const std::string& keyExt, const std::string& fileName) override;
  void StopEngine() override;
  void ClearReadOnly(const std::string& file) override;
  void PlayStateChanged(int oldState, int newState) override;
  void ShowTitle(const std::string& title) override { SetTitle(title); }
  void ShowTimeText(const std::string& text) override;
  void ShowFraction(double fraction) override;
  void EngineStarted() override;
  void PlaybackStopped() override;
  void NotifyEngines() override;
  bool ShuttingDown() override;

 private:
  void MirrorOptions();  // the option block of the play status record
  // After a setter: the option block is refreshed and the loaded engines are told.
  void OptionsChanged();
  DeferredCommands deferred_;
  ui::Timer tenthTimer_;
  ui::Timer stateTimer_;
  bool onTop_ = false, eqEnabled_ = false, eqAuto_ = false, hotKeys_ = false;
  int playerLine_ = 0;
  int bands_[20] = {};
  int suspended_ = 0;
  bool saved_ = false;
  VolumeState volume_;
};

// The player's own inputs are suspended while one of these lives (a modal dialog, a wait
// for an installer); nothing happens outside the player's lifetime.
class CommandsSuspended {
 public:
  CommandsSuspended();
  ~CommandsSuspended();
  CommandsSuspended(const CommandsSuspended&) = delete;
  CommandsSuspended& operator=(const CommandsSuspended&) = delete;

 private:
  TOption* option_;
};

// The one play options object (null outside the player's lifetime).
TOption* Option();
void SetOption(TOption* o);

}  // namespace sd
