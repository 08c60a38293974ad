// Helpers for end-to-end tests that start the real program under Wine.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// A fresh folder under the temp folder (removed by the caller with RemoveTree).
std::string MakeTempFolder(const std::string& tag);
void RemoveTree(const std::string& folder);
std::vector<std::string> ListFolder(const std::string& folder);
bool CopyProgram(const std::string& toFolder);  // songdeck.exe from the program folder

// A started program; Wait pumps this thread's messages so the program's SendMessage calls
// to our windows are answered.
struct Process {
  PROCESS_INFORMATION pi = {};
  bool Start(const std::string& exe, const std::vector<std::string>& args);
  // Exit code, or -1 when it did not end within ms.
  long Wait(DWORD ms);
  void Kill();
  ~Process();
};

// Pumps messages for up to ms or until done() is true.
template <typename F>
bool PumpUntil(DWORD ms, F done) {
  DWORD until = GetTickCount() + ms;
  for (;;) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    if (done()) return true;
    if (static_cast<LONG>(GetTickCount() - until) >= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Files and profile files as the tests look at them.
bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadAll(const std::string& path);
// The player's key of a file: its short path in lower case.
std::string FileKey(const std::string& path);
// An integer of a profile file; -1 when missing.
int IniInt(const std::string& file, const char* section, const std::string& key);
// Section names / key names of a section, in file order.
std::vector<std::string> IniSections(const std::string& file);
std::vector<std::string> IniKeys(const std::string& file, const char* section);

// The program's registry key.
void DeleteProgramKey();
bool ProgramKeyExists();
void SeedVersionRecord();  // so that no first-start dialog opens

// A copy of the program in a folder of its own, with the registry record seeded so that no
// first-start dialog opens; removed again, with the player ended, when it goes.
struct PlayerFolder {
  std::string folder;
  Process player;
  bool Prepare(const std::string& tag);
  // Copies a file of the program folder (a path relative to it) into this copy.
  bool CopyFromDist(const std::string& relative);
  // Songs started so far ("播放总数"), -1 before the first.
  int Plays() const;
  // Closes the main window and waits for a clean end.
  bool Close();
  ~PlayerFolder();
};

}  // namespace e2e
