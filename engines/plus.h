// The engine manager: the table of engines (row 0 the MPEG engine, row 1 the CD engine,
// rows 2... the plug-in libraries of "Ruvudo\"), their descriptors, the choice of engine for
// a file, loading with use counts, the numbered messages and the status reports.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engines/descriptor.h"
#include "engines/plus_api.h"
#include "engines/status_rec.h"

namespace sd {

inline constexpr const char* kMpegGuid = "{D292E380-9FB0-11D5-9FE3-D04449C1010C}";
inline constexpr const char* kCdGuid = "{D292E381-9FB0-11D5-9FE3-D04449C1010C}";

struct TPlusRec {
  std::string Guid;
  std::string Name = "未知";
  int32_t Version = 0;
  int32_t UseCount = 0;
  HMODULE Handle = nullptr;
  PlusMessageFn Entry = nullptr;
  std::string Path;   // short form, trimmed, lower case; empty for built-in engines
  std::string Masks;  // lower case, each ended by ";"
  uint8_t Flags = 0;
  bool InfoRead = false;
  bool Started = false;
};

class TPlus {
 public:
  TPlus();
  ~TPlus();

  std::string VisualGuid;
  int32_t CurrentEngine = -1;
  std::vector<TPlusRec> Engines;
  int32_t EngineCount() const { return static_cast<int32_t>(Engines.size()); }

  void AddEngine(const std::string& path);
  void RemoveEngine(int row);
  void Rescan();
  bool ReadDescriptor(int row, TRuvuDofo& out);
  int IndexOfGuid(const std::string& guid) const;
  std::string AllMasks();
  int AssignedEngine(const std::string& ext) const;
  void AssignEngine(const std::string& ext, int row);
  int ChooseEngine(const std::string& ext);
  void LoadEngine(int row);
  void ReleaseEngine(int row, bool force);
  int32_t SendMsg(int row, uint32_t msg, PlusValue value);
  int32_t SendText(int row, uint32_t msg, const std::string& text);
  void NotifyAll();
  void StartGeneral(const std::string& guid, bool on);
  bool IsStarted(const std::string& guid) const;
  bool IsHidden(const std::string& guid) const;
  void SetHidden(const std::string& guid, bool on);

  // The built-in engines' message handlers (set by the MPEG and CD engines).
  void SetBuiltInEntry(int row, PlusMessageFn entry) { builtIn_[row] = entry; }

  // Playing and stopping the current song's engine. Play returns false when no engine
  // takes the file's extension.
  bool PlayFile(const std::string& keyExt, const std::string& fileName, int priority);
  void StopCurrent();

  // What the callback does with a report; the callback itself only forwards here.
  void HandleReport(const char* sender, const char* key, const char* extra, int32_t value);

 private:
  PlusMessageFn builtIn_[2] = {nullptr, nullptr};
};

// The one engine manager (null outside the player's lifetime).
TPlus* Plus();
void SetPlus(TPlus* p);

// The host entry handed to engines with PM_CALLBACK.
void SD_STDCALL PlusCallback(const char* sender, const char* key, const char* extra, int32_t value);

// The play status record: one for the whole run; its address is given to every engine.
rec::TPlayerStatusRec& StatusRecord();

// Runs a plug-in package (a self-installing program) hidden and waits for it, with the
// player's inputs suspended; returns its exit code, -1 when it could not start.
int RunPluginPackage(const std::string& path);

}  // namespace sd
