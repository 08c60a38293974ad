#include "engines/cd_audio.h"

#include "core/text.h"
#include "engines/plus_api.h"
#include "library/play.h"

namespace sd {

namespace {
constexpr int kCdCategory = 1;
}

CdAudio::CdAudio(TPlay* play, IDriveProbe* probe, DeviceFactory devices, Report report,
                 std::function<void(bool)> positionTimer)
    : play_(play), probe_(probe), devices_(std::move(devices)), report_(std::move(report)),
      positionTimer_(std::move(positionTimer)) {
  for (char letter = 'c'; letter <= 'y'; ++letter) {
    std::string root = std::string(1, letter) + ":\\";
    if (probe_->IsCdDrive(root)) drives_.push_back({root, false});
  }
}

void CdAudio::WatchTick() {
  // Adding lets window messages run: a tick must not start inside another.
  if (watching_ || !play_) return;
  watching_ = true;
  for (TDriver& d : drives_) {
    if (!d.Present) {
      if (probe_->DiscPresent(d.Root) && probe_->RootExists(d.Root)) {
        d.Present = true;
        std::vector<std::string> tracks = probe_->TrackFiles(d.Root);
        play_->BeginAdd();
        for (const std::string& t : tracks) play_->AddFile(t, kCdCategory);
        play_->EndAdd(kCdCategory);
      }
    } else if (!probe_->RootExists(d.Root)) {
      d.Present = false;
      // Windows told of a removal may change the list: its size is read again at each step.
      for (int i = static_cast<int>(play_->CategoryAt(kCdCategory).Items.size()) - 1; i >= 0; --i) {
        const std::vector<TInfoRec>& items = play_->CategoryAt(kCdCategory).Items;
        if (i < static_cast<int>(items.size()) && FindText(items[i].FileKey, d.Root) != std::string::npos)
          play_->RemoveEntries(kCdCategory, i);
      }
    }
  }
  watching_ = false;
}

void CdAudio::PlayFile(const std::string& file) {
  device_ = devices_();
  // A track that cannot be opened or played fails at once, so the player moves on instead
  // of showing it playing while no end will ever be reported.
  if (!device_ || !device_->Open(file)) {
    device_.reset();
    report_(kKeyStatus, kStateError);
    return;
  }
  track_ = 0;
  start_ = 0;
  end_ = -1;
  // The track number is the file's place among its own drive's tracks in "CD Audio".
  std::string key = LowerAscii(probe_->ShortName(file));
  std::string root = LowerAscii(file.substr(0, 3));
  if (play_ && play_->ValidCategory(kCdCategory)) {
    int n = 0;
    for (const TInfoRec& e : play_->CategoryAt(kCdCategory).Items) {
      if (e.FileKey.compare(0, root.size(), root) != 0) continue;
      ++n;
      if (e.FileKey == key) {
        track_ = n;
        break;
      }
    }
  }
  if (track_ > 0) {
    start_ = device_->TrackStart(track_);
    int64_t length = device_->TrackLength(track_);
    end_ = start_ + length;
    report_(kKeyTotalTime, static_cast<int32_t>(length / 1000));
  }
  if (!device_->Play(start_, end_)) {
    device_->Close();
    device_.reset();
    report_(kKeyStatus, kStateError);
    return;
  }
  report_(kKeyStatus, kStatePlaying);
  positionTimer_(true);
}

int32_t CdAudio::Message(uint32_t msg, intptr_t value) {
  switch (msg) {
    case PM_PLAY:
      PlayFile(value ? reinterpret_cast<const char*>(value) : "");
      return kPlusHandled;
    case PM_PAUSE:
      if (device_) {
        if (device_->CurrentMode() == ICdDevice::kPlaying)
          device_->Pause();
        else
          device_->Resume();
      }
      return kPlusHandled;
    case PM_STOP:
      positionTimer_(false);
      if (device_) {
        device_->Stop();
        device_->Close();
        device_.reset();
      }
      return kPlusHandled;
    case PM_SEEK:
      if (device_) device_->Play(start_ + static_cast<int64_t>(value) * 1000, end_);
      return kPlusHandled;
    case PM_REFRESH:
    case PM_IDENTIFY:
    case PM_STATUSREC:
    case PM_EQUALIZER:
    case PM_RELEASE:
    case PM_START:
    case PM_CLOSE:
    case PM_PRIORITY:
    case PM_CALLBACK:
      return kPlusHandled;
  }
  return kPlusNotHandled;
}

void CdAudio::Notified() {
  if (!device_) return;
  int mode = device_->CurrentMode();
  int status = kStateStopped;
  if (mode == ICdDevice::kPlaying || mode == ICdDevice::kSeeking) status = kStatePlaying;
  else if (mode == ICdDevice::kPaused) status = kStatePaused;
  else if (mode == ICdDevice::kOpen) status = kStateConnecting;
  positionTimer_(mode == ICdDevice::kPlaying);
  report_(kKeyStatus, status);
}

void CdAudio::PositionTick() {
  if (device_) report_(kKeyTime, static_cast<int32_t>((device_->Position() - start_) / 1000));
}

}  // namespace sd
