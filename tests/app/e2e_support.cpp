#include "tests/app/e2e_support.h"

#include "core/reg.h"
#include "core/text.h"

namespace e2e {

std::string MakeTempFolder(const std::string& tag) {
  char buf[MAX_PATH];
  GetTempPathA(sizeof buf, buf);
  static int n = 0;
  std::string dir = std::string(buf) + "sd-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(++n) + "\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    std::string n = fd.cFileName;
    if (n != "." && n != "..") names.push_back(n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

void RemoveTree(const std::string& folder) {
  for (const std::string& n : ListFolder(folder)) {
    std::string p = folder + n;
    if (GetFileAttributesA(p.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
      RemoveTree(p + "\\");
    else
      DeleteFileA(p.c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

bool CopyProgram(const std::string& toFolder) {
  return CopyFileA((std::string(SD_DIST_DIR) + "songdeck.exe").c_str(), (toFolder + "songdeck.exe").c_str(),
                   FALSE) != FALSE;
}

bool Process::Start(const std::string& exe, const std::vector<std::string>& args) {
  std::string cmd = "\"" + exe + "\"";
  for (const std::string& a : args) cmd += " \"" + a + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  return CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
}

long Process::Wait(DWORD ms) {
  if (!pi.hProcess) return -1;
  bool ended = PumpUntil(ms, [&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; });
  if (!ended) return -1;
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  return static_cast<long>(code);
}

void Process::Kill() {
  if (pi.hProcess && WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 5000);
  }
}

Process::~Process() {
  Kill();
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
  CloseHandle(f);
  return ok;
}

std::string ReadAll(const std::string& path) {
  std::string data;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return data;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
  CloseHandle(f);
  return data;
}

std::string FileKey(const std::string& path) {
  char buf[MAX_PATH];
  DWORD n = GetShortPathNameA(path.c_str(), buf, sizeof buf);
  return sd::LowerAscii(n && n < sizeof buf ? std::string(buf, n) : path);
}

int IniInt(const std::string& file, const char* section, const std::string& key) {
  return static_cast<int>(GetPrivateProfileIntA(section, key.c_str(), -1, file.c_str()));
}

namespace {
std::vector<std::string> Names(const std::vector<char>& buf, DWORD n) {
  std::vector<std::string> out;
  for (DWORD i = 0; i < n;) {
    std::string s(buf.data() + i);
    if (s.empty()) break;
    out.push_back(s);
    i += static_cast<DWORD>(s.size()) + 1;
  }
  return out;
}
}  // namespace

std::vector<std::string> IniSections(const std::string& file) {
  std::vector<char> buf(64 * 1024);
  return Names(buf, GetPrivateProfileSectionNamesA(buf.data(), static_cast<DWORD>(buf.size()), file.c_str()));
}

std::vector<std::string> IniKeys(const std::string& file, const char* section) {
  std::vector<char> buf(256 * 1024);
  return Names(buf, GetPrivateProfileStringA(section, nullptr, "", buf.data(), static_cast<DWORD>(buf.size()),
                                             file.c_str()));
}

bool PlayerFolder::Prepare(const std::string& tag) {
  DeleteProgramKey();
  SeedVersionRecord();
  folder = MakeTempFolder(tag);
  return CopyProgram(folder);
}

bool PlayerFolder::CopyFromDist(const std::string& relative) {
  size_t slash = relative.find_last_of('\\');
  if (slash != std::string::npos) CreateDirectoryA((folder + relative.substr(0, slash)).c_str(), nullptr);
  return CopyFileA((std::string(SD_DIST_DIR) + relative).c_str(), (folder + relative).c_str(), FALSE) != FALSE;
}

int PlayerFolder::Plays() const { return IniInt(folder + "Options.ini", "播放", "播放总数"); }

bool PlayerFolder::Close() {
  HWND w = FindWindowA("ZEDIROdedaroriz", nullptr);
  if (!w) return false;
  PostMessageA(w, WM_CLOSE, 0, 0);
  return player.Wait(20000) == 0;
}

PlayerFolder::~PlayerFolder() {
  player.Kill();
  if (!folder.empty()) RemoveTree(folder);
  DeleteProgramKey();
}

void DeleteProgramKey() { sd::TReg().DeleteRegKey(""); }

bool ProgramKeyExists() { return sd::TReg().KeyExists(""); }

void SeedVersionRecord() {
  sd::TReg reg;
  if (reg.OpenRegKey("")) reg.WriteRegString("版本", "2.24tm");
}

}  // namespace e2e
