// CPU time of a playing process, taken from outside it.
//   playback_measure.exe player FOLDER SONG SECONDS
//       starts FOLDER\songdeck.exe with SONG on its command line, lets it play SECONDS,
//       then closes its main window and waits for it to end.
//   playback_measure.exe baseline WAVEOUT_EXE PCM SECONDS
//       runs the bare waveOut loop over the same PCM for SECONDS.
// Prints key=value lines: startup (CPU seconds before the playing window), cpu (CPU seconds
// within it), wall (its length in seconds), source (where the CPU figures come from).
// Exit codes: 0 measured, 1 failure, 3 the sound device cannot be opened.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kPlayerClass = "ZEDIROdedaroriz";
constexpr const char* kProgramKey = "Software\\青禾软件\\青禾播放器";
constexpr const char* kCompanyKey = "Software\\青禾软件";
constexpr const char* kVersionMark = "2.24tm";

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) / double(f.QuadPart);
}

double FileTimeSeconds(const FILETIME& t) {
  ULARGE_INTEGER u;
  u.LowPart = t.dwLowDateTime;
  u.HighPart = t.dwHighDateTime;
  return double(u.QuadPart) / 1e7;
}

// Wine answers GetProcessTimes for another process with its start and exit times only, and
// zero user and kernel time. Its Unix side is then read instead: /proc/<pid>/stat of the
// host process that runs the program, found by the unique folder on its command line.
struct Cpu {
  HANDLE process = nullptr;
  std::string marker;  // text only the measured process has on its Unix command line
  int unixPid = 0;
  bool fromProc = false;

  static bool ReadSmallFile(const std::string& name, std::string& out) {
    HANDLE f = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    out.clear();
    char buf[4096];
    DWORD got = 0;
    while (out.size() < 64 * 1024 && ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(f);
    return true;
  }

  static bool Contains(const std::string& hay, const std::string& needle) {
    return !needle.empty() && hay.find(needle) != std::string::npos;
  }

  int FindUnixPid() const {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA("Z:\\proc\\*", &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int found = 0;
    do {
      const char* n = fd.cFileName;
      if (!*n || std::strspn(n, "0123456789") != std::strlen(n)) continue;
      std::string cmd;
      if (!ReadSmallFile(std::string("Z:\\proc\\") + n + "\\cmdline", cmd)) continue;
      std::replace(cmd.begin(), cmd.end(), '\0', ' ');
      if (Contains(cmd, marker) && !Contains(cmd, "playback_measure")) {
        found = std::atoi(n);
        break;
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return found;
  }

  // utime + stime of the host process, in seconds (clock ticks of 1/100 s).
  double ProcSeconds() const {
    std::string stat;
    if (!ReadSmallFile("Z:\\proc\\" + std::to_string(unixPid) + "\\stat", stat)) return -1;
    size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    // Fields after the name: state is field 3, utime 14, stime 15.
    const char* p = stat.c_str() + close + 1;
    unsigned long long v[13] = {};
    for (int i = 0; i < 13; ++i) {
      while (*p == ' ') ++p;
      if (i == 0) {
        ++p;  // state letter
        continue;
      }
      char* end = nullptr;
      v[i] = std::strtoull(p, &end, 10);
      if (end == p) return -1;
      p = end;
    }
    return double(v[11] + v[12]) / 100.0;
  }

  // Seconds of user + kernel time so far; -1 when none can be read.
  double Seconds() {
    FILETIME c, e, k, u;
    if (!fromProc && GetProcessTimes(process, &c, &e, &k, &u)) {
      double s = FileTimeSeconds(k) + FileTimeSeconds(u);
      if (s > 0) return s;
    }
    if (!unixPid) unixPid = FindUnixPid();
    if (!unixPid) return -1;
    fromProc = true;
    return ProcSeconds();
  }

  const char* Source() const { return fromProc ? "/proc stat of the host process" : "GetProcessTimes"; }
};

bool Start(const std::string& cmdLine, const std::string& folder, PROCESS_INFORMATION& pi) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string line = cmdLine;
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi) != 0;
}

bool KeyExists(const char* path) {
  HKEY k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

// The version record makes the player start as an already set-up program (no first-start
// window). Returns false when it cannot be written.
bool SeedVersionRecord() {
  HKEY k;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kProgramKey, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return false;
  LONG r = RegSetValueExA(k, "版本", 0, REG_SZ, reinterpret_cast<const BYTE*>(kVersionMark),
                          DWORD(std::strlen(kVersionMark) + 1));
  RegCloseKey(k);
  return r == ERROR_SUCCESS;
}

void Report(double startup, double cpu, double wall, const char* source) {
  std::printf("startup=%.3f\ncpu=%.3f\nwall=%.3f\nsource=%s\n", startup, cpu, wall, source);
  std::fflush(stdout);
}

int MeasurePlayer(std::string folder, const std::string& song, int seconds) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  if (FindWindowA(kPlayerClass, nullptr)) {
    std::fprintf(stderr, "playback_measure: a player is already running in this session\n");
    return 1;
  }
  bool hadCompany = KeyExists(kCompanyKey), hadProgram = KeyExists(kProgramKey);
  if (!SeedVersionRecord()) {
    std::fprintf(stderr, "playback_measure: cannot write the version record\n");
    return 1;
  }
  PROCESS_INFORMATION pi{};
  int rc = 1;
  if (!Start("\"" + folder + "songdeck.exe\" \"" + song + "\"", folder, pi)) {
    std::fprintf(stderr, "playback_measure: cannot start %ssongdeck.exe (%lu)\n", folder.c_str(), GetLastError());
  } else {
    Cpu cpu;
    cpu.process = pi.hProcess;
    // The folder's own name is unique to this run.
    std::string name = folder.substr(0, folder.size() - 1);
    cpu.marker = name.substr(name.find_last_of('\\') + 1);
    WaitForInputIdle(pi.hProcess, 20000);
    // The song starts before the main window's message loop runs; the window shows it is there.
    HWND w = nullptr;
    for (double t0 = Now(); Now() - t0 < 20; Sleep(50)) {
      w = FindWindowA(kPlayerClass, nullptr);
      DWORD owner = 0;
      if (w) GetWindowThreadProcessId(w, &owner);
      if (w && owner == pi.dwProcessId) break;
      w = nullptr;
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    }
    if (!w) {
      std::fprintf(stderr, "playback_measure: the player's window did not appear\n");
      TerminateProcess(pi.hProcess, 1);
    } else {
      double a = cpu.Seconds(), t0 = Now();
      bool ended = WaitForSingleObject(pi.hProcess, DWORD(seconds) * 1000) == WAIT_OBJECT_0;
      double b = cpu.Seconds(), wall = Now() - t0;
      if (ended) {
        std::fprintf(stderr, "playback_measure: the player ended by itself after %.1f s\n", wall);
      } else if (a < 0 || b < 0) {
        std::fprintf(stderr, "playback_measure: the player's CPU time cannot be read\n");
      } else {
        Report(a, b - a, wall, cpu.Source());
        rc = 0;
      }
      if (!ended) {
        PostMessageA(w, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) {
          std::fprintf(stderr, "playback_measure: the player did not end within 30 s of WM_CLOSE\n");
          TerminateProcess(pi.hProcess, 1);
          rc = 1;
        }
      }
      // What the player remembers of the session: the song it had.
      char current[MAX_PATH * 2] = {};
      GetPrivateProfileStringA("播放", "当前文件", "", current, sizeof current, (folder + "Options.ini").c_str());
      std::printf("current=%s\n", current);
    }
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  // Leave the registry of the session as it was found.
  if (!hadProgram) RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey);
  if (!hadCompany) RegDeleteTreeA(HKEY_CURRENT_USER, kCompanyKey);
  return rc;
}

int MeasureBaseline(const std::string& exe, const std::string& pcm, int seconds) {
  std::string eventName = "songdeck-playback-start-" + std::to_string(GetCurrentProcessId());
  HANDLE started = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  PROCESS_INFORMATION pi{};
  if (!started || !Start("\"" + exe + "\" \"" + pcm + "\" " + std::to_string(seconds) + " " + eventName, "", pi)) {
    std::fprintf(stderr, "playback_measure: cannot start %s\n", exe.c_str());
    return 1;
  }
  Cpu cpu;
  cpu.process = pi.hProcess;
  cpu.marker = exe.substr(exe.find_last_of("\\/") + 1);
  HANDLE both[2] = {started, pi.hProcess};
  DWORD first = WaitForMultipleObjects(2, both, FALSE, 20000);
  int rc = 1;
  if (first == WAIT_OBJECT_0) {
    double a = cpu.Seconds(), t0 = Now();
    // The Unix side is gone with the process: the last reading is taken just before the end.
    double b = a;
    while (WaitForSingleObject(pi.hProcess, 200) == WAIT_TIMEOUT) {
      double now = cpu.Seconds();
      if (now >= 0) b = now;
    }
    double wall = Now() - t0;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    if (!cpu.fromProc) b = cpu.Seconds();  // GetProcessTimes still answers after the end
    if (code != 0) {
      std::fprintf(stderr, "playback_measure: the waveOut loop failed (exit code %lu)\n", code);
    } else if (a < 0 || b < 0) {
      std::fprintf(stderr, "playback_measure: the waveOut loop's CPU time cannot be read\n");
    } else {
      Report(a, b - a, wall, cpu.Source());
      rc = 0;
    }
  } else {
    DWORD code = 1;
    if (WaitForSingleObject(pi.hProcess, 5000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 1);
    if (code == 3) {
      std::fprintf(stderr, "playback_measure: waveOut cannot open the sound device\n");
      rc = 3;
    } else {
      std::fprintf(stderr, "playback_measure: the waveOut loop did not start (exit code %lu)\n", code);
    }
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(started);
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 || (std::strcmp(argv[1], "player") != 0 && std::strcmp(argv[1], "baseline") != 0)) {
    std::fprintf(stderr,
                 "usage: playback_measure player FOLDER SONG SECONDS\n"
                 "       playback_measure baseline WAVEOUT_EXE PCM SECONDS\n");
    return 1;
  }
  int seconds = std::atoi(argv[4]);
  if (seconds <= 0 || seconds > 600) {
    std::fprintf(stderr, "playback_measure: seconds must be 1 ... 600\n");
    return 1;
  }
  if (std::strcmp(argv[1], "player") == 0) return MeasurePlayer(argv[2], argv[3], seconds);
  return MeasureBaseline(argv[2], argv[3], seconds);
}
