// The CD engine, row 1 of the engine table: it keeps the library's category 1 ("CD Audio")
// in step with the discs in the CD drives, and plays a track between its start and end
// positions on the system's media device. The system is reached through two seams, so the
// logic runs in tests without a drive.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sd {

class TPlay;

// The media device of one track file (the system's MCI device for ".cda" files).
class ICdDevice {
 public:
  // Device modes.
  enum Mode { kNotReady = 0, kStopped = 1, kPlaying = 2, kRecording = 3, kSeeking = 4, kPaused = 5, kOpen = 6 };
  virtual ~ICdDevice() = default;
  virtual bool Open(const std::string& file) = 0;  // time format milliseconds
  virtual void Close() = 0;
  virtual int64_t TrackStart(int track) = 0;   // ms
  virtual int64_t TrackLength(int track) = 0;  // ms
  // Plays from..to (ms; to < 0: to the end) and calls back once when the command completes;
  // false when the device refused.
  virtual bool Play(int64_t from, int64_t to) = 0;
  virtual void Stop() = 0;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  virtual int CurrentMode() = 0;
  virtual int64_t Position() = 0;  // ms
};

// The drives: which letters are CD drives, whether a disc is in, the track files on it.
class IDriveProbe {
 public:
  virtual ~IDriveProbe() = default;
  virtual bool IsCdDrive(const std::string& root) = 0;
  // A disc is in: the drive reports a size and its root folder exists.
  virtual bool DiscPresent(const std::string& root) = 0;
  virtual bool RootExists(const std::string& root) = 0;
  // root + "*.cda", in the order the system lists them.
  virtual std::vector<std::string> TrackFiles(const std::string& root) = 0;
  // The short form of a file name (for keys).
  virtual std::string ShortName(const std::string& path) = 0;
};

struct TDriver {
  std::string Root;  // "d:\"
  bool Present = false;
};

class CdAudio {
 public:
  using Report = std::function<void(const char* key, int32_t value)>;
  using DeviceFactory = std::function<std::unique_ptr<ICdDevice>()>;
  // positionTimer(on) switches the 1000 ms position timer.
  CdAudio(TPlay* play, IDriveProbe* probe, DeviceFactory devices, Report report,
          std::function<void(bool)> positionTimer);

  const std::vector<TDriver>& Drives() const { return drives_; }
  // The 300 ms drive watch.
  void WatchTick();
  // Engine messages.
  int32_t Message(uint32_t msg, intptr_t value);
  // The device finished a command.
  void Notified();
  // The 1000 ms position timer.
  void PositionTick();
  int Track() const { return track_; }
  bool Playing() const { return device_ != nullptr; }

 private:
  void PlayFile(const std::string& file);
  TPlay* play_;
  IDriveProbe* probe_;
  DeviceFactory devices_;
  Report report_;
  std::function<void(bool)> positionTimer_;
  std::vector<TDriver> drives_;
  std::unique_ptr<ICdDevice> device_;
  int track_ = 0;
  int64_t start_ = 0, end_ = -1;
  bool watching_ = false;
};

}  // namespace sd
