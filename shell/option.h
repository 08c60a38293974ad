// The play options object: play modes, the play state reported by the engine, the play-mode
// flag (the user wants playback), the suspension of the player's own inputs while a modal
// dialog is open, and the deferred-command slot.
#pragma once
#include <string>

#include "core/deferred.h"
#include "core/volume.h"

namespace sd {

class TOption {
 public:
  TOption();
  ~TOption();  // saves the options

  DeferredCommands& Deferred() { return deferred_; }

  int PlayState() const { return playState_; }
  void SetPlayState(int state);
  // Every state report starts the end-of-track rule after the report has returned.
  void StartEndOfTrack() { endOfTrackPending_ = true; }
  bool EndOfTrackPending() const { return endOfTrackPending_; }
  bool PlayMode() const { return playMode_; }
  void SetPlayMode(bool on) { playMode_ = on; }
  // Whole seconds as last reported by the engine.
  int Position() const { return position_; }
  int TotalTime() const { return totalTime_; }
  void SetPosition(int s) { position_ = s; }
  void SetTotalTime(int s) { totalTime_ = s; }

  bool Repeat() const { return repeat_; }
  bool Shuffle() const { return shuffle_; }
  bool Single() const { return single_; }
  bool RemainingTime() const { return remaining_; }
  bool OnTop() const { return onTop_; }
  bool EQEnabled() const { return eqEnabled_; }
  bool EQAutoSelect() const { return eqAuto_; }
  void SetRepeat(bool on) { repeat_ = on; }
  void SetShuffle(bool on) { shuffle_ = on; }
  void SetSingle(bool on) { single_ = on; }
  void SetRemainingTime(bool on) { remaining_ = on; }
  void SetOnTop(bool on);
  void SetEQEnabled(bool on) { eqEnabled_ = on; }
  void SetEQAutoSelect(bool on) { eqAuto_ = on; }

  // Suspensions nest: commands are enabled again when every suspension has been lifted.
  void SetCommandsEnabled(bool on);
  bool CommandsEnabled() const { return suspended_ == 0; }

  VolumeState& Volume() { return volume_; }

  // The keys whose windows and engines exist: play modes, always-on-top, the last folder.
  void LoadOptions();
  void SaveOptions();

 private:
  DeferredCommands deferred_;
  int playState_ = 0;
  bool playMode_ = false;
  int position_ = 0, totalTime_ = 0;
  bool repeat_ = false, shuffle_ = false, single_ = false, remaining_ = false, onTop_ = false;
  bool eqEnabled_ = false, eqAuto_ = false;
  int suspended_ = 0;
  bool endOfTrackPending_ = false;
  VolumeState volume_;
};

// The one play options object (null outside the player's lifetime).
TOption* Option();
void SetOption(TOption* o);

}  // namespace sd
