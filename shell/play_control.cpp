#include "shell/play_control.h"

#include <algorithm>
#include <cstdio>

#include "core/text.h"
#include "library/play.h"

namespace sd {

std::string FormatPlayTime(int position, int total, bool remaining) {
  bool minus = remaining && total >= position;
  int v = std::clamp(minus ? total - position : position, 0, 918000);
  char buf[32];
  std::snprintf(buf, sizeof buf, minus ? "-%.1d:%.2d:%.2d" : " %.1d:%.2d:%.2d", v / 3600, (v % 3600) / 60, v % 60);
  return buf;
}

double PlayFraction(int position, int tenths, int total) {
  double f = (static_cast<double>(position) * 10 + tenths) / std::max(static_cast<double>(total) * 10, 1.0);
  return std::min(1.0, f);
}

void PlayControl::SetRemainingTime(bool on) {
  remaining_ = on;
  ShowPosition(position_);
  ShowTenths(tenths_);
}

void PlayControl::SetPlayState(int state) {
  int old = playState_;
  playState_ = (state >= 0 && state <= 4) ? state : 4;
  host_->PlayStateChanged(old, playState_);
  host_->NotifyEngines();
}

void PlayControl::ShowPosition(int seconds) {
  if (host_->ShuttingDown()) return;
  position_ = seconds;
  host_->ShowTimeText(FormatPlayTime(seconds, total_, remaining_));
  ShowTenths(0);
}

void PlayControl::ShowTenths(int tenths) {
  tenths_ = tenths;
  host_->ShowFraction(PlayFraction(position_, tenths_, total_));
}

void PlayControl::TenthTick() {
  if (tenths_ < 9) ShowTenths(tenths_ + 1);
  ++positionTenths_;
}

int PlayControl::PlayCount() const {
  return play_ && play_->ValidCategory(play_->PlayIndex) ? play_->CategoryAt(play_->PlayIndex).Count : 0;
}
void PlayControl::Mark(int entry, bool played) {
  if (TInfoRec* e = play_->Entry(play_->PlayIndex, entry)) e->Played = played;
}

std::string PlayControl::CurrentFileName() const { return play_ ? play_->CurrentSong.FileName : ""; }
std::string PlayControl::CurrentKey() const { return play_ ? play_->CurrentSong.FileKey : ""; }

void PlayControl::Play(const std::string& arg) {
  if (!play_) return;
  if (!arg.empty()) {
    if (playMode_) host_->IssueVerb("#Stop", "");
    std::string key = host_->FileKey(arg);
    play_->SetCurrent(key.empty() ? -1 : play_->FindEntry(key, play_->PlayIndex));
    if (play_->CurrentIndex == -1) {
      // A single file outside the library.
      play_->CurrentSong = TTagRec();
      play_->CurrentSong.FileName = arg;
      play_->CurrentSong.FileKey = key;
    }
    play_->RefreshCurrent();
    play_->ResetPlayed(play_->PlayIndex);
    playMode_ = true;
    StartPlayback();
    return;
  }
  switch (playState_) {
    case 2:
      host_->IssueVerb("#Pause", "");
      return;
    case 1:
    case 3:
    case 4:
      return;
  }
  playMode_ = true;
  int n = PlayCount();
  int c = play_->PlayIndex;
  if (n == 1) {
    play_->SetCurrent(0);
    play_->RefreshCurrent();
    StartPlayback();
  } else if (n > 1) {
    if ((!fresh_ && shuffle_) || play_->CurrentIndex == -1) {
      host_->IssueVerb("#Next", "");
    } else {
      play_->RefreshCurrent();
      StartPlayback();
    }
  } else if (!CurrentFileName().empty()) {
    StartPlayback();
  } else if (play_->ValidCategory(c) && (play_->CategoryAt(c).Locked || play_->CategoryAt(c).ReadOnly)) {
    if (play_->PlayIndex != 0) play_->SetPlayCategory(0);
  } else {
    host_->IssueVerb("#OpenFile", "");
    if (PlayCount() > 0) host_->IssueVerb("#Play", "");
  }
}

void PlayControl::Stop() {
  if (!play_) return;
  if (playMode_) {
    playMode_ = false;
    StopPlayback();
    ShowPosition(0);
  } else {
    play_->ResetPlayed(play_->PlayIndex);
    play_->SetCurrent(PlayCount() > 0 ? 0 : -1);
  }
}

void PlayControl::Next() {
  if (!play_) return;
  int n = PlayCount();
  int cur = play_->CurrentIndex;
  int c = play_->PlayIndex;
  if (n > 1) {
    int next;
    if (shuffle_) {
      int old = cur;
      next = play_->PickRandom(false);
      if (old >= 0) Mark(old, true);
      if (next == -1 || next == old) {
        if (!repeat_ && playMode_) return;
        play_->ResetPlayed(c);
        next = play_->PickRandom(false);
      }
    } else {
      next = cur + 1;
      if (next >= n) {
        if (playMode_ && !repeat_) {
          host_->IssueVerb("#Stop", "");
          return;
        }
        next = 0;
      }
    }
    if (next < 0) next = 0;
    Mark(next, true);
    MoveTo(next);
  } else {
    StepWithinOne(n, cur, CurrentFileName());
  }
}

void PlayControl::MoveTo(int entry) {
  if (playMode_) {
    host_->IssueVerb("#Stop", "");
    play_->SetCurrent(entry);
    playMode_ = true;
    fresh_ = true;
    host_->IssueVerb("#Play", "");
  } else {
    play_->SetCurrent(entry);
    play_->RefreshCurrent();
    fresh_ = true;
  }
}

void PlayControl::StepWithinOne(int n, int cur, const std::string& again) {
  if (playMode_) {
    if (n == 1 && cur == -1) {
      host_->IssueVerb("#Stop", "");
      playMode_ = true;
      play_->SetCurrent(0);
      play_->RefreshCurrent();
      StartPlayback();
    } else if (repeat_) {
      host_->IssueVerb("#Play", again);
    } else {
      host_->IssueVerb("#Stop", "");
    }
  } else if (cur == -1 && n == 1) {
    play_->SetCurrent(0);
  }
}

void PlayControl::Prev() {
  if (!play_) return;
  int n = PlayCount();
  int cur = play_->CurrentIndex;
  if (n > 1) {
    int prev;
    if (shuffle_) {
      int old = cur;
      prev = play_->PickRandom(true);
      if (prev == -1 || prev == old) {
        if (!repeat_ && playMode_) return;
        for (int i = 0; i < n; ++i) Mark(i, true);
        prev = play_->PickRandom(true);
      }
      if (prev == -1) prev = 0;
    } else {
      prev = cur - 1;
      if (prev < 0) {
        if (playMode_ && !repeat_) return;
        prev = n - 1;
      }
    }
    if (cur >= 0) Mark(cur, false);
    Mark(prev, true);
    MoveTo(prev);
  } else {
    // As "#next", except that the repeat plays the song again by its key.
    StepWithinOne(n, cur, CurrentKey());
  }
}

void PlayControl::EndOfTrack() {
  if (!playMode_ || !play_) return;
  switch (playState_) {
    case 4: {
      int e = play_->FindEntry(CurrentKey(), play_->PlayIndex);
      if (TInfoRec* entry = play_->Entry(play_->PlayIndex, e)) entry->Failed = true;
      host_->IssueVerb(single_ ? "#Stop" : "#Next", "");
      break;
    }
    case 0:
      ShowPosition(0);
      if (single_) {
        if (repeat_)
          host_->IssueVerb("#Play", CurrentFileName());
        else
          host_->IssueVerb("#Stop", "");
      } else if (!repeat_ && play_->AllPlayed()) {
        host_->IssueVerb("#Stop", "");
        play_->ResetPlayed(play_->PlayIndex);
      } else {
        host_->IssueVerb("#Next", "");
      }
      break;
    default:
      break;  // playing: the video window follows in the host; paused, connecting: nothing
  }
}

void PlayControl::StartPlayback() {
  total_ = 0;
  fresh_ = false;
  host_->ShowTitle(play_->DisplayTitle(-1, play_->PlayIndex, true));
  host_->ClearReadOnly(CurrentFileName());
  int c = play_->PlayIndex;
  if (play_->CurrentIndex >= 0) Mark(play_->CurrentIndex, true);
  SetPlayState(3);
  if (!host_->StartEngine(ExtractFileExt(CurrentKey()), CurrentFileName())) {
    if (TInfoRec* e = play_->Entry(c, play_->CurrentIndex)) e->Failed = true;
    host_->IssueVerb(!single_ && !play_->AllPlayed() ? "#Next" : "#Stop", "");
    return;
  }
  host_->EngineStarted();
  play_->CountPlay(CurrentKey());
}

void PlayControl::StopPlayback() {
  SetPlayState(0);
  host_->StopEngine();
  host_->ShowTitle("");
  if (play_) play_->FlushTags();
  host_->PlaybackStopped();
}

}  // namespace sd
