// The bare waveOut loop the player's CPU use is compared with: plays raw 16-bit stereo
// 44.1 kHz PCM for a number of seconds through the wave mapper, with the player's own
// buffering (six queued buffers of 50 ms, a callback event), and nothing else.
//   playback_waveout.exe PCM SECONDS [EVENT]
// EVENT (a named event) is set once the first buffers are queued, so a measuring program
// can take its starting reading there. Exit codes: 0 played, 1 usage or file error,
// 3 the sound device cannot be opened.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kBuffers = 6;
constexpr int kBufferMs = 50;
constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kFrameBytes = 2 * kChannels;
constexpr long kMaxSeconds = 600;

// Reads at most `limit` bytes of the file.
bool ReadPcm(const char* name, size_t limit, std::vector<char>& pcm) {
  HANDLE f = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: playback_waveout PCM SECONDS [EVENT]\n");
    return 1;
  }
  long seconds = std::strtol(argv[2], nullptr, 10);
  if (seconds <= 0 || seconds > kMaxSeconds) {
    std::fprintf(stderr, "playback_waveout: seconds must be 1 ... %ld\n", kMaxSeconds);
    return 1;
  }
  std::vector<char> pcm;
  if (!ReadPcm(argv[1], size_t(seconds) * kRate * kFrameBytes, pcm) || pcm.empty()) {
    std::fprintf(stderr, "playback_waveout: cannot read %s\n", argv[1]);
    return 1;
  }
  HANDLE started = argc > 3 ? OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]) : nullptr;

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
  const size_t chunk = size_t(kRate) * kBufferMs / 1000 * kFrameBytes;
  WAVEHDR hdr[kBuffers] = {};
  size_t next = 0;  // first byte of pcm not yet queued
  bool failed = false;
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
      if (waveOutWrite(wave, &hdr[i], sizeof hdr[i]) != MMSYSERR_NOERROR) {
        failed = true;
        break;
      }
      next += n;
    }
    if (started) {
      SetEvent(started);
      CloseHandle(started);
      started = nullptr;
    }
    if (failed) break;
    bool busy = false;
    for (const WAVEHDR& h : hdr)
      if ((h.dwFlags & WHDR_PREPARED) && !(h.dwFlags & WHDR_DONE)) busy = true;
    if (!busy && next >= pcm.size()) break;
    WaitForSingleObject(done, 1000);
  }
  waveOutReset(wave);
  for (WAVEHDR& h : hdr)
    if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(wave, &h, sizeof h);
  waveOutClose(wave);
  CloseHandle(done);
  if (failed) {
    std::fprintf(stderr, "playback_waveout: waveOutWrite failed\n");
    return 1;
  }
  return 0;
}
