#include "engines/plus.h"

#include "core/commands.h"
#include "core/files.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/text.h"
#include "engines/fault_guard.h"
#include "shell/option.h"
#include "ui/app.h"
#include "ui/prompt.h"

namespace sd {

namespace {
TPlus* g_plus = nullptr;

struct SendCall {
  PlusMessageFn entry;
  uint32_t msg;
  PlusValue value;
  int32_t result;
};

void RunSend(void* p) {
  auto* c = static_cast<SendCall*>(p);
  c->result = c->entry(c->msg, c->value);
}

bool FileIsThere(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
}  // namespace

TPlus* Plus() { return g_plus; }
void SetPlus(TPlus* p) { g_plus = p; }

rec::TPlayerStatusRec& StatusRecord() {
  static rec::TPlayerStatusRec record = {};
  return record;
}

TPlus::TPlus() {
  TPlusRec mpeg;
  mpeg.Guid = kMpegGuid;
  mpeg.Name = "MPEG播放插件  -  内部插件";
  mpeg.Version = 4210724;
  mpeg.Masks = "*.mp3;";
  mpeg.Flags = 1;
  mpeg.InfoRead = true;
  TPlusRec cd;
  cd.Guid = kCdGuid;
  cd.Name = "CD播放插件  -  内部插件";
  cd.Version = 4210724;
  cd.Masks = "*.cda;";
  cd.InfoRead = true;
  Engines.push_back(mpeg);
  Engines.push_back(cd);
}

TPlus::~TPlus() {
  for (int row = 0; row < EngineCount(); ++row)
    if (Engines[row].UseCount > 0) ReleaseEngine(row, true);
  if (g_plus == this) g_plus = nullptr;
}

void TPlus::AddEngine(const std::string& path) {
  std::string key = LowerAscii(Trim(ShortPath(path)));
  for (int row = 2; row < EngineCount(); ++row)
    if (Engines[row].Path == key) return;
  TPlusRec r;
  r.Path = key;
  Engines.push_back(r);
}

void TPlus::RemoveEngine(int row) {
  if (row < 0 || row >= EngineCount()) return;
  Engines.erase(Engines.begin() + row);
  if (CurrentEngine > row) --CurrentEngine;
}

void TPlus::Rescan() {
  std::vector<std::string> found;
  if (!Paths().PluginFolder.empty()) ListFiles(Paths().PluginFolder + "*.dll", found, true);
  for (int row = EngineCount() - 1; row >= 2; --row) {
    // The engine in use keeps its row until playback stops: it has received PM_PLAY.
    if (!FileIsThere(Engines[row].Path) && !(row == CurrentEngine && Engines[row].UseCount > 0)) RemoveEngine(row);
  }
  for (const std::string& f : found) AddEngine(f);
}

bool TPlus::ReadDescriptor(int row, TRuvuDofo& out) {
  out = TRuvuDofo();
  if (row < 0 || row >= EngineCount()) return false;
  TPlusRec& r = Engines[row];
  if (r.Path.empty() || !ReadDescriptorFile(r.Path, out)) return false;
  r.InfoRead = true;
  r.Masks = out.Masks;
  r.Version = out.Version;
  r.Guid = out.Guid;
  r.Name = out.Name;
  r.Flags = out.Flags;
  return true;
}

int TPlus::IndexOfGuid(const std::string& guid) const {
  for (int row = 0; row < EngineCount(); ++row)
    if (TextEquals(Engines[row].Guid, guid)) return row;
  return -1;
}

std::string TPlus::AllMasks() {
  Rescan();
  std::string masks;
  TRuvuDofo d;
  for (int row = 0; row < EngineCount(); ++row) {
    if (!Engines[row].InfoRead) ReadDescriptor(row, d);
    masks += Engines[row].Masks;
  }
  return masks;
}

int TPlus::AssignedEngine(const std::string& ext) const {
  std::string guid = Settings().ReadString("文件类型", ext, "");
  if (guid.empty()) return -1;
  return IndexOfGuid(guid);
}

void TPlus::AssignEngine(const std::string& ext, int row) {
  if (row >= 0 && row < EngineCount() && !Engines[row].Guid.empty())
    Settings().WriteString("文件类型", ext, Engines[row].Guid);
  else
    ui::ShowMessage("选择的插件不支持这个功能！", MB_ICONINFORMATION);
}

int TPlus::ChooseEngine(const std::string& ext) {
  int assigned = AssignedEngine(ext);
  if (assigned >= 0) return assigned;
  std::string needle = LowerAscii(ext) + ";";
  int best = -1;
  TRuvuDofo d;
  for (int row = 0; row < EngineCount(); ++row) {
    if (!Engines[row].InfoRead) ReadDescriptor(row, d);
    const TPlusRec& r = Engines[row];
    if (FindText(r.Masks, needle) == std::string::npos || r.Version <= 0) continue;
    if (best < 0 || r.Version > Engines[best].Version) best = row;
  }
  return best;
}

void TPlus::LoadEngine(int row) {
  if (row < 0 || row >= EngineCount()) return;
  TPlusRec& r = Engines[row];
  if (++r.UseCount != 1) return;
  if (row >= 2) {
    r.Handle = LoadLibraryA(r.Path.c_str());
    if (!r.Handle) {
      r.UseCount = 0;
      return;
    }
    r.Entry = reinterpret_cast<PlusMessageFn>(reinterpret_cast<void*>(GetProcAddress(r.Handle, "PlusMessage")));
  } else {
    r.Entry = builtIn_[row];
  }
  SendText(row, PM_IDENTIFY, r.Guid);
  SendMsg(row, PM_CALLBACK, reinterpret_cast<PlusValue>(&PlusCallback));
  SendMsg(row, PM_STATUSREC, reinterpret_cast<PlusValue>(&StatusRecord()));
}

void TPlus::ReleaseEngine(int row, bool force) {
  if (row < 0 || row >= EngineCount()) return;
  TPlusRec& r = Engines[row];
  if (r.UseCount == 1 || (force && r.UseCount > 0)) {
    if (r.Started) SendMsg(row, PM_CLOSE, 0);
    SendMsg(row, PM_RELEASE, 0);
    if (row >= 2 && r.Handle) FreeLibrary(r.Handle);
    r.Handle = nullptr;
    r.Entry = nullptr;
    r.UseCount = 0;
    r.Started = false;
  } else {
    r.UseCount = std::max(r.UseCount - 1, 0);
  }
}

int32_t TPlus::SendMsg(int row, uint32_t msg, PlusValue value) {
  if (row < 0 || row >= EngineCount() || !Engines[row].Entry) return kPlusNoEntry;
  SendCall call{Engines[row].Entry, msg, value, 0};
  if (!CallGuarded(&RunSend, &call)) return kPlusEngineError;
  return call.result;
}

int32_t TPlus::SendText(int row, uint32_t msg, const std::string& text) {
  std::string copy = text;  // lives for the call
  return SendMsg(row, msg, reinterpret_cast<PlusValue>(copy.c_str()));
}

void TPlus::NotifyAll() {
  for (int row = 0; row < EngineCount(); ++row)
    if (Engines[row].UseCount > 0) SendMsg(row, PM_REFRESH, 0);
}

void TPlus::StartGeneral(const std::string& guid, bool on) {
  int row = IndexOfGuid(guid);
  if (row < 0) return;
  TPlusRec& r = Engines[row];
  if (!on) {
    if (r.Started) {
      SendMsg(row, PM_CLOSE, 0);
      Engines[row].Started = false;
      ReleaseEngine(row, false);
    }
  } else if (!r.Started) {
    LoadEngine(row);
    SendMsg(row, PM_START, 0);
    Engines[row].Started = true;
  } else {
    return;
  }
  NotifyAll();
}

bool TPlus::IsStarted(const std::string& guid) const {
  int row = IndexOfGuid(guid);
  return row >= 0 && Engines[row].Started;
}

bool TPlus::IsHidden(const std::string& guid) const {
  return Settings().ReadString("隐藏插件", guid, "") == "hidden";
}

void TPlus::SetHidden(const std::string& guid, bool on) {
  if (on)
    Settings().WriteString("隐藏插件", guid, "hidden");
  else
    Settings().DeleteKey("隐藏插件", guid);
}

bool TPlus::PlayFile(const std::string& keyExt, const std::string& fileName, int priority) {
  StatusRecord().TotalTime = 0;
  Rescan();
  CurrentEngine = ChooseEngine(keyExt);
  if (CurrentEngine < 0) return false;
  LoadEngine(CurrentEngine);
  SendMsg(CurrentEngine, PM_PREPARE, 0);
  SendMsg(CurrentEngine, PM_PRIORITY, priority);
  SendText(CurrentEngine, PM_PLAY, fileName);
  return true;
}

void TPlus::StopCurrent() {
  if (CurrentEngine >= 0) {
    SendMsg(CurrentEngine, PM_STOP, 0);
    SendMsg(CurrentEngine, PM_STOPPED, 0);
    ReleaseEngine(CurrentEngine, false);
  }
  CurrentEngine = -1;
}

void TPlus::HandleReport(const char* sender, const char* key, const char* extra, int32_t value) {
  if (!key) return;
  std::string k = key;
  TOption* o = Option();
  if (TextEquals(k, kKeyTime)) {
    if (o) {
      if (!o->Dragging()) o->ShowPosition(value);
      o->SetPositionTenths(value * 10);
    }
    StatusRecord().Position = value * 10;
    NotifyAll();
  } else if (TextEquals(k, kKeyStatus)) {
    if (!o) return;
    // A stop report that belongs to the song before the one now connecting.
    if (value == kStateStopped && o->PlayMode() && o->PlayState() == kStateConnecting) return;
    if (value < 0 || value > 4) {
      o->SetPlayState(kStateError);
      o->StartEndOfTrack();
    } else if (value != o->PlayState()) {
      o->SetPlayState(value);
      o->StartEndOfTrack();
    }
    StatusRecord().State = o->PlayState();
  } else if (TextEquals(k, kKeyTotalTime)) {
    if (o) o->SetTotalTime(value);
    StatusRecord().TotalTime = value;
    NotifyAll();
  } else if (!k.empty() && k[0] != '%') {
    std::string from = sender ? sender : "";
    PostCommand(k, extra ? extra : "", &from);
  }
}

void SD_STDCALL PlusCallback(const char* sender, const char* key, const char* extra, int32_t value) {
  // Host code runs here: a fault in it is the host's, not the engine's.
  GuardSuspension hostCode;
  if (TPlus* p = Plus()) p->HandleReport(sender, key, extra, value);
}

int RunPluginPackage(const std::string& path) {
  std::string cmd = "\"" + path + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &si, &pi))
    return -1;
  {
    CommandsSuspended suspended;
    // Wait with the window alive.
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
      ui::Application::Get().ProcessMessages();
  }
  DWORD code = static_cast<DWORD>(-1);
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return static_cast<int>(code);
}

}  // namespace sd
