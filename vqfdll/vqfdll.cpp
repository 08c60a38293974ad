// The vqf.dll stand-in (see vqf.h): one song at a time, a frame counter running with the
// clock, no sound.
#include <windows.h>

#include <cstring>
#include <string>

#include "vqfdll/twinvq_header.h"
#include "vqfdll/vqf.h"

namespace {

constexpr size_t kHeaderReadSize = 64 * 1024;  // the header chunks are read from here only

struct Song {
  bool open = false;
  vqf::TwinVqInfo info;
  ULONGLONG startTick = 0;   // when playing began
  ULONGLONG pausedMs = 0;    // time spent paused before the current pause
  bool paused = false;
  ULONGLONG pauseTick = 0;
  bool stopped = false;
};

Song g_song;

// Folder of this library, with its trailing backslash (GBK file names: a trail byte may be
// a backslash, so the scan steps over lead and trail pairs).
std::string OwnFolder() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&OwnFolder), &self))
    return {};
  char path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(self, path, sizeof path);
  if (n == 0 || n >= sizeof path) return {};
  size_t cut = 0;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < n) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') cut = i + 1;
  }
  return std::string(path, cut);
}

bool HaveDataFile() {
  DWORD attr = GetFileAttributesA((OwnFolder() + "twinvq2.cdb").c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads the header of a file; false when it cannot be read or is no TwinVQ file.
bool ReadHeader(const char* fileName, vqf::TwinVqInfo& info) {
  info = vqf::TwinVqInfo{};
  if (!fileName || !*fileName) return false;
  HANDLE f = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = false;
  if (GetFileSizeEx(f, &size) && size.QuadPart >= 0) {
    std::string buf(kHeaderReadSize, '\0');
    DWORD got = 0;
    if (ReadFile(f, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr))
      ok = vqf::ParseTwinVqHeader(reinterpret_cast<const uint8_t*>(buf.data()), got,
                                  static_cast<uint64_t>(size.QuadPart), info);
  }
  CloseHandle(f);
  return ok;
}

ULONGLONG ElapsedMs() {
  ULONGLONG now = g_song.paused ? g_song.pauseTick : GetTickCount64();
  ULONGLONG run = now - g_song.startTick;
  return run > g_song.pausedMs ? run - g_song.pausedMs : 0;
}

}  // namespace

extern "C" {

int32_t VQF_API DllDecoderStart(vqf::StartBlock* block) {
  g_song = Song{};
  if (!block || !HaveDataFile() || !ReadHeader(block->fileName, g_song.info)) return 1;
  g_song.open = true;
  g_song.startTick = GetTickCount64();
  return 0;
}

// A stopped song keeps the frame it reached, as a paused one does, until the next start.
int32_t VQF_API DllDecoderStop(int32_t) {
  if (g_song.open && !g_song.paused) {
    g_song.paused = true;
    g_song.pauseTick = GetTickCount64();
  }
  g_song.stopped = true;
  return 0;
}

int32_t VQF_API DllDecoderPause() {
  if (!g_song.open || g_song.stopped || g_song.paused) return 1;
  g_song.paused = true;
  g_song.pauseTick = GetTickCount64();
  return 0;
}

int32_t VQF_API DllDecoderRestart() {
  if (!g_song.open || g_song.stopped || !g_song.paused) return 1;
  g_song.pausedMs += GetTickCount64() - g_song.pauseTick;
  g_song.paused = false;
  return 0;
}

int32_t VQF_API DllDecoderGetInfo(uint8_t* info) {
  if (!info) return 1;
  const char* name = nullptr;
  std::memcpy(&name, info + vqf::kInfoNameOffset, sizeof name);
  vqf::TwinVqInfo header;
  if (!HaveDataFile() || !ReadHeader(name, header)) return 1;
  std::memcpy(info + vqf::kInfoSecondsOffset, &header.seconds, 4);
  std::memcpy(info + vqf::kInfoFramesOffset, &header.frames, 4);
  return 0;
}

uint32_t VQF_API DllDecoderGetIframe() {
  return g_song.open ? vqf::FrameAt(g_song.info, ElapsedMs()) : 0;
}

}  // extern "C"
