// The bare waveOut loop the player's CPU use is compared with: plays a file of raw 16-bit
// stereo 44.1 kHz PCM through the wave mapper with the player's own buffering (six queued
// buffers of 50 ms, a callback event) and nothing else. Like a player repeating a song, it
// plays the whole file again and again until SECONDS have passed at the end of a pass.
//   playback_waveout.exe PCM SECONDS [SHARED]
// With SHARED (the base name of objects made by the measuring program) it sets SHARED-start
// once the first buffers are queued, keeps the number of whole passes played in the first
// 32 bits of the mapping SHARED-count, sets SHARED-played once the last pass is given back,
// then waits (at most 30 s) for SHARED-quit before it closes the device, so the measuring
// program takes its readings while the process is still there.
// Exit codes: 0 played, 1 usage or file error, 3 the sound device cannot be opened.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kBuffers = 6;
constexpr int kBufferMs = 50;
constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kFrameBytes = 2 * kChannels;
constexpr size_t kMaxBytes = size_t(600) * kRate * kFrameBytes;  // ten minutes

HANDLE OpenNamedEvent(const char* base, const char* suffix) {
  return base ? OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, (std::string(base) + suffix).c_str()) : nullptr;
}

void Set(HANDLE& e) {
  if (!e) return;
  SetEvent(e);
  CloseHandle(e);
  e = nullptr;
}

// Reads at most `limit` bytes of the file.
bool ReadPcm(const char* name, size_t limit, std::vector<char>& pcm) {
  HANDLE f = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(f, &size)) size.QuadPart = 0;
  limit = std::min(limit, size_t(std::max<LONGLONG>(size.QuadPart, 0)));
  pcm.resize(limit);
  size_t have = 0;
  while (have < limit) {
    DWORD got = 0;
    DWORD want = DWORD(std::min<size_t>(limit - have, 1 << 20));
    if (!ReadFile(f, pcm.data() + have, want, &got, nullptr) || got == 0) break;
    have += got;
  }
  CloseHandle(f);
  pcm.resize(have - have % kFrameBytes);
  return true;
}

// Plays the whole PCM once and waits until the device has given every buffer back.
bool PlayPass(HWAVEOUT wave, HANDLE done, std::vector<char>& pcm, WAVEHDR (&hdr)[kBuffers], HANDLE& started) {
  const size_t chunk = size_t(kRate) * kBufferMs / 1000 * kFrameBytes;
  size_t next = 0;  // first byte of pcm not yet queued
  for (;;) {
    for (int i = 0; i < kBuffers && next < pcm.size(); ++i) {
      if (hdr[i].dwFlags & WHDR_INQUEUE) continue;
      if (hdr[i].dwFlags & WHDR_PREPARED) {
        if (!(hdr[i].dwFlags & WHDR_DONE)) continue;
        waveOutUnprepareHeader(wave, &hdr[i], sizeof hdr[i]);
      }
      size_t n = std::min(chunk, pcm.size() - next);
      hdr[i] = WAVEHDR{};
      hdr[i].lpData = pcm.data() + next;
      hdr[i].dwBufferLength = DWORD(n);
      waveOutPrepareHeader(wave, &hdr[i], sizeof hdr[i]);
      if (waveOutWrite(wave, &hdr[i], sizeof hdr[i]) != MMSYSERR_NOERROR) return false;
      next += n;
    }
    Set(started);
    bool busy = false;
    for (const WAVEHDR& h : hdr)
      if ((h.dwFlags & WHDR_PREPARED) && !(h.dwFlags & WHDR_DONE)) busy = true;
    if (!busy && next >= pcm.size()) return true;
    WaitForSingleObject(done, 1000);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: playback_waveout PCM SECONDS [SHARED]\n");
    return 1;
  }
  const double seconds = std::atof(argv[2]);
  if (!(seconds >= 0 && seconds <= 3600)) {
    std::fprintf(stderr, "playback_waveout: seconds must be 0 ... 3600\n");
    return 1;
  }
  std::vector<char> pcm;
  if (!ReadPcm(argv[1], kMaxBytes, pcm) || pcm.empty()) {
    std::fprintf(stderr, "playback_waveout: cannot read %s\n", argv[1]);
    return 1;
  }
  const char* shared = argc > 3 ? argv[3] : nullptr;
  HANDLE started = OpenNamedEvent(shared, "-start");
  HANDLE played = OpenNamedEvent(shared, "-played");
  HANDLE quit = OpenNamedEvent(shared, "-quit");
  HANDLE countMap = shared ? OpenFileMappingA(FILE_MAP_WRITE, FALSE, (std::string(shared) + "-count").c_str()) : nullptr;
  volatile LONG* passes = countMap ? static_cast<volatile LONG*>(MapViewOfFile(countMap, FILE_MAP_WRITE, 0, 0, 4)) : nullptr;

  WAVEFORMATEX pf{};
  pf.wFormatTag = WAVE_FORMAT_PCM;
  pf.nChannels = kChannels;
  pf.nSamplesPerSec = kRate;
  pf.wBitsPerSample = 16;
  pf.nBlockAlign = kFrameBytes;
  pf.nAvgBytesPerSec = kRate * kFrameBytes;
  HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HWAVEOUT wave = nullptr;
  MMRESULT r = waveOutOpen(&wave, WAVE_MAPPER, &pf, DWORD_PTR(done), 0, CALLBACK_EVENT);
  if (r != MMSYSERR_NOERROR) {
    std::fprintf(stderr, "playback_waveout: waveOutOpen failed (%u)\n", unsigned(r));
    return 3;
  }
  WAVEHDR hdr[kBuffers] = {};
  bool failed = false;
  const DWORD t0 = GetTickCount();
  for (LONG pass = 1;; ++pass) {
    if (!PlayPass(wave, done, pcm, hdr, started)) {
      failed = true;
      break;
    }
    if (passes) InterlockedExchange(passes, pass);
    if (GetTickCount() - t0 >= DWORD(seconds * 1000)) break;
  }
  if (!failed) {
    Set(played);
    if (quit) WaitForSingleObject(quit, 30000);
  }
  waveOutReset(wave);
  for (WAVEHDR& h : hdr)
    if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(wave, &h, sizeof h);
  waveOutClose(wave);
  CloseHandle(done);
  if (passes) UnmapViewOfFile(const_cast<LONG*>(passes));
  if (countMap) CloseHandle(countMap);
  if (quit) CloseHandle(quit);
  if (played) CloseHandle(played);
  if (failed) {
    std::fprintf(stderr, "playback_waveout: waveOutWrite failed\n");
    return 1;
  }
  return 0;
}
