// CPU time of a process while it plays a song for some seconds, taken from outside it.
// The window of measurement holds whole plays of the song, so the music it covers is known
// whatever pace the sound device keeps.
//   playback_measure.exe player FOLDER SONG NEXT SECONDS [WINESERVER_PID]
//       starts FOLDER\songdeck.exe with SONG and NEXT (a copy of it) on its command line and
//       repeat on. The window runs from the start of SONG (the player counts a play as it
//       starts one) to the first start of a song once SECONDS have passed. Then the main
//       window is closed and the player waited for.
//   playback_measure.exe baseline WAVEOUT_EXE PCM SECONDS [WINESERVER_PID]
//       runs the bare waveOut loop over PCM; the window runs from its first queued buffer
//       to the end of its last pass through the PCM, the first to end after SECONDS.
// Prints key=value lines: plays (whole plays of the song within the window), startup (CPU
// seconds of the process before the window), cpu (CPU seconds within it), times (what
// GetProcessTimes says of the same window), wineserver (CPU seconds of that Unix process
// within the window, with WINESERVER_PID), wall (the window's length in seconds), source
// (where cpu comes from).
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
constexpr double kStartLimit = 30;   // seconds for a process to reach its window
constexpr double kPlayMargin = 150;  // seconds beyond SECONDS for the song in play to end

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

bool ReadSmallFile(const std::string& name, std::string& out) {
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

// utime + stime of a Unix process in seconds (clock ticks of 1/100 s), read through the
// drive Wine maps to the root; -1 when it cannot be read (not under Wine, or gone).
double UnixProcessSeconds(int pid) {
  std::string stat;
  if (pid <= 0 || !ReadSmallFile("Z:\\proc\\" + std::to_string(pid) + "\\stat", stat)) return -1;
  size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return -1;
  // After the name: the state letter (field 3), then numbers; utime is field 14, stime 15.
  const char* p = stat.c_str() + close + 2;
  while (*p && *p != ' ') ++p;
  unsigned long long v[13] = {};
  for (int field = 4; field <= 15; ++field) {
    char* end = nullptr;
    v[field - 4] = std::strtoull(p, &end, 10);
    if (end == p) return -1;
    p = end;
  }
  return double(v[10] + v[11]) / 100.0;
}

// The Unix process that runs a Windows program under Wine, found by a text only its command
// line has (the unique folder it runs from, or its program name).
int FindUnixPid(const std::string& marker) {
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
    if (cmd.find(marker) != std::string::npos && cmd.find("playback_measure") == std::string::npos) {
      found = std::atoi(n);
      break;
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return found;
}

// One reading of a measured process and of the wineserver.
struct Reading {
  double times = -1;       // user + kernel time from GetProcessTimes
  double host = -1;        // user + kernel time of the Unix process under Wine
  double wineserver = -1;  // the wineserver's user + system time
  double at = 0;           // when, in seconds
};

struct Probe {
  HANDLE process = nullptr;
  int hostPid = 0;
  int wineserverPid = 0;

  Reading Take() const {
    Reading r;
    FILETIME c, e, k, u;
    if (GetProcessTimes(process, &c, &e, &k, &u)) r.times = FileTimeSeconds(k) + FileTimeSeconds(u);
    r.host = UnixProcessSeconds(hostPid);
    r.wineserver = UnixProcessSeconds(wineserverPid);
    r.at = Now();
    return r;
  }
};

// Under Wine, GetProcessTimes of another process does not follow its running threads, so
// the Unix process's own account is used wherever it can be read.
void Report(int plays, const Reading& a, const Reading& b) {
  std::printf("plays=%d\n", plays);
  bool host = a.host >= 0 && b.host >= 0;
  double startup = host ? a.host : a.times;
  double cpu = host ? b.host - a.host : b.times - a.times;
  std::printf("startup=%.3f\ncpu=%.3f\ntimes=%.3f\n", startup, cpu, b.times - a.times);
  if (a.wineserver >= 0 && b.wineserver >= 0) std::printf("wineserver=%.3f\n", b.wineserver - a.wineserver);
  std::printf("wall=%.3f\nsource=%s\n", b.at - a.at, host ? "the Unix process (/proc/<pid>/stat)" : "GetProcessTimes");
  std::fflush(stdout);
}

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

// Waits until `done` holds, polling every 100 ms; false when the process ends first or the
// limit passes.
template <class F>
bool WaitUntil(HANDLE process, double limit, F done) {
  for (double t0 = Now(); Now() - t0 < limit;) {
    if (done()) return true;
    if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) return done();
  }
  return false;
}

HWND PlayerWindow(DWORD pid) {
  HWND w = FindWindowA(kPlayerClass, nullptr);
  DWORD owner = 0;
  if (w) GetWindowThreadProcessId(w, &owner);
  return w && owner == pid ? w : nullptr;
}

int MeasurePlayer(std::string folder, const std::string& song, const std::string& next, double seconds,
                  int wineserverPid) {
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
  std::string options = folder + "Options.ini";
  WritePrivateProfileStringA("播放", "循环", "1", options.c_str());  // repeat
  auto plays = [&] { return int(GetPrivateProfileIntA("播放", "播放总数", 0, options.c_str())); };
  const int before = plays();  // a folder that has played before keeps its count
  PROCESS_INFORMATION pi{};
  int rc = 1;
  if (!Start("\"" + folder + "songdeck.exe\" \"" + song + "\" \"" + next + "\"", folder, pi)) {
    std::fprintf(stderr, "playback_measure: cannot start %ssongdeck.exe (%lu)\n", folder.c_str(), GetLastError());
  } else {
    Probe probe;
    probe.process = pi.hProcess;
    probe.wineserverPid = wineserverPid;
    std::string name = folder.substr(0, folder.size() - 1);
    if (!WaitUntil(pi.hProcess, kStartLimit, [&] { return plays() > before; })) {
      std::fprintf(stderr, "playback_measure: the player did not start the song\n");
    } else {
      probe.hostPid = FindUnixPid(name.substr(name.find_last_of('\\') + 1));
      Reading a = probe.Take();
      int first = plays(), begun = first;
      bool played = WaitUntil(pi.hProcess, seconds + kPlayMargin, [&] {
        if (Now() - a.at < seconds) begun = plays();
        return Now() - a.at >= seconds && plays() > begun;
      });
      Reading b = probe.Take();
      if (!played) {
        std::fprintf(stderr, "playback_measure: the song did not play to its end within %.0f s\n", b.at - a.at);
      } else {
        Report(begun + 1 - first, a, b);
        rc = 0;
      }
    }
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
      HWND w = nullptr;
      WaitUntil(pi.hProcess, kStartLimit, [&] { return (w = PlayerWindow(pi.dwProcessId)) != nullptr; });
      if (w) PostMessageA(w, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "playback_measure: the player did not end within 30 s of WM_CLOSE\n");
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
        rc = 1;
      }
    } else {
      std::fprintf(stderr, "playback_measure: the player ended by itself\n");
      rc = 1;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  // Leave the registry of the session as it was found.
  if (!hadProgram) RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey);
  if (!hadCompany) RegDeleteTreeA(HKEY_CURRENT_USER, kCompanyKey);
  return rc;
}

int MeasureBaseline(const std::string& exe, const std::string& pcm, double seconds, int wineserverPid) {
  std::string events = "songdeck-playback-" + std::to_string(GetCurrentProcessId());
  HANDLE countMap = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, (events + "-count").c_str());
  volatile LONG* passes = countMap ? static_cast<volatile LONG*>(MapViewOfFile(countMap, FILE_MAP_READ, 0, 0, 4)) : nullptr;
  HANDLE started = CreateEventA(nullptr, TRUE, FALSE, (events + "-start").c_str());
  HANDLE played = CreateEventA(nullptr, TRUE, FALSE, (events + "-played").c_str());
  HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, (events + "-quit").c_str());
  PROCESS_INFORMATION pi{};
  char secondsText[32];
  std::snprintf(secondsText, sizeof secondsText, "%g", seconds);
  if (!started || !played || !quit || !passes ||
      !Start("\"" + exe + "\" \"" + pcm + "\" " + secondsText + " " + events, "", pi)) {
    std::fprintf(stderr, "playback_measure: cannot start %s\n", exe.c_str());
    return 1;
  }
  Probe probe;
  probe.process = pi.hProcess;
  probe.wineserverPid = wineserverPid;
  int rc = 1;
  HANDLE first[2] = {started, pi.hProcess};
  if (WaitForMultipleObjects(2, first, FALSE, DWORD(kStartLimit * 1000)) == WAIT_OBJECT_0) {
    probe.hostPid = FindUnixPid(exe.substr(exe.find_last_of("\\/") + 1));
    Reading a = probe.Take();
    // The same polling of a settings file as while the player is measured, so both windows
    // carry the same cost of watching.
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string watch = std::string(temp) + events + ".ini";
    WritePrivateProfileStringA("播放", "播放总数", "1", watch.c_str());
    HANDLE last[2] = {played, pi.hProcess};
    DWORD w = WAIT_TIMEOUT;
    for (double t0 = Now(); w == WAIT_TIMEOUT && Now() - t0 < seconds + kPlayMargin;) {
      GetPrivateProfileIntA("播放", "播放总数", 0, watch.c_str());
      w = WaitForMultipleObjects(2, last, FALSE, 100);
    }
    bool done = w == WAIT_OBJECT_0;
    Reading b = probe.Take();
    DeleteFileA(watch.c_str());
    if (done) {
      Report(int(*passes), a, b);
      rc = 0;
    } else {
      std::fprintf(stderr, "playback_measure: the waveOut loop did not play to its end\n");
    }
  }
  SetEvent(quit);
  DWORD code = 1;
  if (WaitForSingleObject(pi.hProcess, 35000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(pi.hProcess, &code);
  } else {
    TerminateProcess(pi.hProcess, 1);
  }
  if (code == 3) {
    std::fprintf(stderr, "playback_measure: waveOut cannot open the sound device\n");
    rc = 3;
  } else if (code != 0) {
    std::fprintf(stderr, "playback_measure: the waveOut loop failed (exit code %lu)\n", code);
    rc = 1;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(started);
  CloseHandle(played);
  CloseHandle(quit);
  UnmapViewOfFile(const_cast<LONG*>(passes));
  CloseHandle(countMap);
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  bool player = argc >= 6 && argc <= 7 && std::strcmp(argv[1], "player") == 0;
  bool baseline = argc >= 5 && argc <= 6 && std::strcmp(argv[1], "baseline") == 0;
  double seconds = player ? std::atof(argv[5]) : baseline ? std::atof(argv[4]) : -1;
  if ((!player && !baseline) || !(seconds >= 0 && seconds <= 3600)) {
    std::fprintf(stderr,
                 "usage: playback_measure player FOLDER SONG NEXT SECONDS [WINESERVER_PID]\n"
                 "       playback_measure baseline WAVEOUT_EXE PCM SECONDS [WINESERVER_PID]\n"
                 "       (SECONDS 0 ... 3600)\n");
    return 1;
  }
  if (player) return MeasurePlayer(argv[2], argv[3], argv[4], seconds, argc > 6 ? std::atoi(argv[6]) : 0);
  return MeasureBaseline(argv[2], argv[3], seconds, argc > 5 ? std::atoi(argv[5]) : 0);
}
