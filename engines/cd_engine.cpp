#include "engines/cd_engine.h"

#include <windows.h>
#include <mmsystem.h>

#include <memory>
#include <string>

#include "core/files.h"
#include "engines/cd_audio.h"
#include "engines/plus.h"
#include "ui/timer.h"
#include "ui/wnd.h"

namespace sd {

namespace {

std::string g_sender;

void Report(const char* key, int32_t value) { PlusCallback(g_sender.c_str(), key, nullptr, value); }

// The hidden window that owns the device and receives its completion notices.
class CdWindow : public ui::Wnd {
 public:
  std::function<void()> onNotify;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == MM_MCINOTIFY) {
      if (onNotify) onNotify();
      return 0;
    }
    return ui::Wnd::OnMessage(msg, wp, lp);
  }
};

class MciCdDevice : public ICdDevice {
 public:
  explicit MciCdDevice(HWND owner) : owner_(owner) {}
  ~MciCdDevice() override { Close(); }

  bool Open(const std::string& file) override {
    MCI_OPEN_PARMSA open = {};
    open.lpstrElementName = file.c_str();
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open)) != 0) {
      open = {};
      open.lpstrDeviceType = "cdaudio";
      if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open)) != 0) return false;
    }
    id_ = open.wDeviceID;
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    mciSendCommandA(id_, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&set));
    return true;
  }
  void Close() override {
    if (id_) mciSendCommandA(id_, MCI_CLOSE, MCI_WAIT, 0);
    id_ = 0;
  }
  int64_t TrackStart(int track) override { return Status(MCI_STATUS_POSITION, track); }
  int64_t TrackLength(int track) override { return Status(MCI_STATUS_LENGTH, track); }
  bool Play(int64_t from, int64_t to) override {
    MCI_PLAY_PARMS play = {};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(owner_);
    play.dwFrom = static_cast<DWORD>(from);
    DWORD flags = MCI_NOTIFY | MCI_FROM;
    if (to >= 0) {
      play.dwTo = static_cast<DWORD>(to);
      flags |= MCI_TO;
    }
    return mciSendCommandA(id_, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&play)) == 0;
  }
  void Stop() override { mciSendCommandA(id_, MCI_STOP, MCI_WAIT, 0); }
  void Pause() override { mciSendCommandA(id_, MCI_PAUSE, MCI_WAIT, 0); }
  void Resume() override {
    MCI_PLAY_PARMS play = {};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(owner_);
    if (mciSendCommandA(id_, MCI_RESUME, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)) != 0)
      mciSendCommandA(id_, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
  }
  int CurrentMode() override {
    int64_t m = Status(MCI_STATUS_MODE, 0);
    return (m >= MCI_MODE_NOT_READY && m <= MCI_MODE_OPEN) ? static_cast<int>(m - MCI_MODE_NOT_READY) : kNotReady;
  }
  int64_t Position() override { return Status(MCI_STATUS_POSITION, 0); }

 private:
  int64_t Status(DWORD item, int track) {
    if (!id_) return 0;
    MCI_STATUS_PARMS st = {};
    st.dwItem = item;
    st.dwTrack = static_cast<DWORD>(track);
    DWORD flags = MCI_STATUS_ITEM | MCI_WAIT | (track > 0 ? MCI_TRACK : 0);
    if (mciSendCommandA(id_, MCI_STATUS, flags, reinterpret_cast<DWORD_PTR>(&st)) != 0) return 0;
    return static_cast<int64_t>(st.dwReturn);
  }
  HWND owner_;
  MCIDEVICEID id_ = 0;
};

class SystemDrives : public IDriveProbe {
 public:
  bool IsCdDrive(const std::string& root) override { return GetDriveTypeA(root.c_str()) == DRIVE_CDROM; }
  bool DiscPresent(const std::string& root) override {
    ULARGE_INTEGER avail, total, freeBytes;
    return GetDiskFreeSpaceExA(root.c_str(), &avail, &total, &freeBytes) && total.QuadPart > 0;
  }
  bool RootExists(const std::string& root) override { return FolderExists(root); }
  std::vector<std::string> TrackFiles(const std::string& root) override {
    std::vector<std::string> files;
    ListFiles(root + "*.cda", files, false);
    return files;
  }
  std::string ShortName(const std::string& path) override { return ShortPath(path); }
};

struct CdEngine {
  CdWindow window;
  SystemDrives drives;
  ui::Timer positionTimer{1000};
  ui::Timer watchTimer{300};
  std::unique_ptr<CdAudio> audio;
};

std::unique_ptr<CdEngine> g_cd;

}  // namespace

void CreateCdEngine(TPlay* play) {
  g_cd = std::make_unique<CdEngine>();
  CdEngine& e = *g_cd;
  e.window.Create("TCDAudioWindow", "", WS_POPUP, 0, 0, 0, 0, 0);
  HWND owner = e.window.hwnd();
  e.audio = std::make_unique<CdAudio>(
      play, &e.drives, [owner] { return std::make_unique<MciCdDevice>(owner); }, &Report,
      [&e](bool on) { e.positionTimer.SetEnabled(on); });
  e.window.onNotify = [&e] { e.audio->Notified(); };
  e.positionTimer.SetOnTick([&e] { e.audio->PositionTick(); });
  e.watchTimer.SetOnTick([&e] {
    e.watchTimer.SetEnabled(false);
    e.audio->WatchTick();
    if (g_cd) e.watchTimer.SetEnabled(true);
  });
  e.watchTimer.SetEnabled(true);
}

void FreeCdEngine() {
  if (g_cd) {
    g_cd->watchTimer.SetEnabled(false);
    g_cd->positionTimer.SetEnabled(false);
  }
  g_cd.reset();
}

int32_t SD_STDCALL CdEngineMessage(uint32_t msg, PlusValue value) {
  if (msg == PM_IDENTIFY) {
    g_sender = value ? reinterpret_cast<const char*>(value) : "";
    return kPlusHandled;
  }
  if (!g_cd) return kPlusNotHandled;
  return g_cd->audio->Message(msg, value);
}

}  // namespace sd
