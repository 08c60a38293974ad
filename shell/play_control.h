// The play modes, the play state and the transport logic of the player: what "#Play",
// "#Stop", "#Next" and "#Prev" do in every mode, the end-of-track rule, starting and stopping
// the current song. No Windows here: what needs the system (engines, displays, timers, verbs)
// goes through IPlayHost, so the logic runs in tests on a library of its own.
#pragma once
#include <string>

namespace sd {

class TPlay;

class IPlayHost {
 public:
  virtual ~IPlayHost() = default;
  // Runs a command verb now (the dispatcher).
  virtual void IssueVerb(const std::string& verb, const std::string& arg) = 0;
  // The lower-case short path of a file; empty when the system reports none.
  virtual std::string FileKey(const std::string& file) = 0;
  // Chooses and loads the engine for the extension, then plays fileName on it; false when
  // no engine takes the extension.
  virtual bool StartEngine(const std::string& keyExt, const std::string& fileName) = 0;
  // Stops and releases the current engine, if any.
  virtual void StopEngine() = 0;
  virtual void ClearReadOnly(const std::string& file) {}
  // The displays, timers and engines follow a new play state.
  virtual void PlayStateChanged(int oldState, int newState) {}
  virtual void ShowTimeText(const std::string& text) {}
  virtual void ShowFraction(double fraction) {}
  virtual void ShowTitle(const std::string& title) {}
  // After the engine took the song (equaliser, lyrics lamp) / after a stop (lamp, lyrics).
  virtual void EngineStarted() {}
  virtual void PlaybackStopped() {}
  virtual void NotifyEngines() {}
  virtual bool ShuttingDown() { return false; }
};

// " 1:06:40" (elapsed, with a leading blank) or "-1:06:30" (remaining, when asked for and
// total >= position); values clamped to 0..918000 seconds.
std::string FormatPlayTime(int position, int total, bool remaining);
// Share of the song played: min(1, (position * 10 + tenths) / max(total * 10, 1)).
double PlayFraction(int position, int tenths, int total);

class PlayControl {
 public:
  PlayControl(TPlay* play, IPlayHost* host) : play_(play), host_(host) {}
  virtual ~PlayControl() = default;
  void Attach(TPlay* play, IPlayHost* host) {
    play_ = play;
    host_ = host;
  }
  TPlay* Library() const { return play_; }

  // Modes.
  bool Single() const { return single_; }
  bool Repeat() const { return repeat_; }
  bool Shuffle() const { return shuffle_; }
  bool RemainingTime() const { return remaining_; }
  void SetSingle(bool on) { single_ = on; }
  void SetRepeat(bool on) { repeat_ = on; }
  void SetShuffle(bool on) { shuffle_ = on; }
  void SetRemainingTime(bool on);

  // State.
  int PlayState() const { return playState_; }
  void SetPlayState(int state);
  bool PlayMode() const { return playMode_; }
  void SetPlayMode(bool on) { playMode_ = on; }
  bool FreshSelection() const { return fresh_; }
  void SetFreshSelection(bool on) { fresh_ = on; }
  int Position() const { return position_; }
  int TotalTime() const { return total_; }
  void SetPosition(int s) { position_ = s; }
  void SetTotalTime(int s) { total_ = s; }
  int Tenths() const { return tenths_; }
  int PositionTenths() const { return positionTenths_; }
  void SetPositionTenths(int t) { positionTenths_ = t; }
  bool Dragging() const { return dragging_; }
  void SetDragging(bool on) { dragging_ = on; }

  void ShowPosition(int seconds);
  void ShowTenths(int tenths);
  void TenthTick();

  // The verbs.
  void Play(const std::string& arg);
  void Stop();
  void Next();
  void Prev();
  // The end-of-track rule, run after a state report has returned.
  void EndOfTrack();

  void StartPlayback();
  void StopPlayback();

 private:
  int PlayCount() const;
  void Mark(int entry, bool played);
  // The last step of "#next"/"#prev": make entry current, playing it when playback is wanted.
  void MoveTo(int entry);
  // "#next"/"#prev" with at most one entry; again: what the repeat plays.
  void StepWithinOne(int n, int cur, const std::string& again);
  std::string CurrentFileName() const;
  std::string CurrentKey() const;

  TPlay* play_;
  IPlayHost* host_;
  bool single_ = false, repeat_ = false, shuffle_ = false, remaining_ = false;
  int playState_ = 0;
  bool playMode_ = false;
  bool fresh_ = true;
  bool dragging_ = false;
  int position_ = 0, total_ = 0, tenths_ = 0, positionTenths_ = 0;
};

}  // namespace sd
