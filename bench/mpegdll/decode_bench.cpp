// Decoding speed of mpeg.dll (decode only, no output) against a bare acmStreamConvert loop
// over the same file, in one run.   decode_bench.exe MPEG_DLL SONG [ROUNDS]
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "mpegdll/mpeg.h"

namespace {

int g_state = -1;

LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == MPEG_NOTIFY_BASE + MPEG_NOTE_STATE) g_state = int(lp & 0xFF);
  if (msg >= MPEG_NOTIFY_BASE) return 0;
  return DefWindowProcA(w, msg, wp, lp);
}

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) / double(f.QuadPart);
}

template <class F>
F Find(HMODULE m, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

// Seconds mpeg.dll takes to decode the whole song with its output discarded.
double DecodeWithLibrary(HMODULE m, const char* song, HWND window) {
  auto New = Find<decltype(&player_new)>(m, "player_new");
  auto Delete = Find<decltype(&player_delete)>(m, "player_delete");
  auto SendN = Find<decltype(&control_message_send_N)>(m, "control_message_send_N");
  auto SendS = Find<decltype(&control_message_send_S)>(m, "control_message_send_S");
  MpegPlayer* p = nullptr;
  if (New(&p, &window) != MPEG_OK) return -1;
  SendS(p, MPEG_CMD_OUTPUT_FILE, "");
  if (SendS(p, MPEG_CMD_OPEN, song) != MPEG_OK) return -1;
  g_state = -1;
  double t0 = Now();
  SendN(p, MPEG_CMD_PLAY);
  while (g_state != MPEG_STATE_STOPPED && Now() - t0 < 600) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (g_state == MPEG_STATE_STOPPED) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  double t = Now() - t0;
  Delete(p);
  return t;
}

// Seconds a bare loop of acmStreamConvert takes over the same bytes (4 frames a call).
double DecodeBare(const std::vector<unsigned char>& d, size_t* pcmBytes) {
  // The first frame header gives the format (the file starts with a frame).
  size_t at = 0;
  while (at + 4 < d.size() && !(d[at] == 0xFF && (d[at + 1] & 0xE0) == 0xE0)) ++at;
  static const int rates[] = {44100, 48000, 32000};
  int rate = rates[(d[at + 2] >> 2) & 3];
  int ch = ((d[at + 3] >> 6) & 3) == 3 ? 1 : 2;
  int br = 192;
  MPEGLAYER3WAVEFORMAT mf{};
  mf.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  mf.wfx.nChannels = WORD(ch);
  mf.wfx.nSamplesPerSec = DWORD(rate);
  mf.wfx.nAvgBytesPerSec = DWORD(br * 125);
  mf.wfx.nBlockAlign = 1;
  mf.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  mf.wID = MPEGLAYER3_ID_MPEG;
  mf.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
  mf.nBlockSize = WORD(144 * br * 1000 / rate);
  mf.nFramesPerBlock = 1;
  WAVEFORMATEX pf{WAVE_FORMAT_PCM, WORD(ch), DWORD(rate), DWORD(rate * 2 * ch), WORD(2 * ch), 16, 0};
  double t0 = Now();
  HACMSTREAM s;
  if (acmStreamOpen(&s, nullptr, &mf.wfx, &pf, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME)) return -1;
  std::vector<unsigned char> out(1 << 16);
  size_t chunk = size_t(mf.nBlockSize) * 4, total = 0;
  for (size_t pos = 0; pos < d.size();) {
    size_t n = std::min(chunk, d.size() - pos);
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof h;
    h.pbSrc = const_cast<unsigned char*>(d.data()) + pos;
    h.cbSrcLength = DWORD(n);
    h.pbDst = out.data();
    h.cbDstLength = DWORD(out.size());
    acmStreamPrepareHeader(s, &h, 0);
    acmStreamConvert(s, &h, ACM_STREAMCONVERTF_BLOCKALIGN);
    acmStreamUnprepareHeader(s, &h, 0);
    total += h.cbDstLengthUsed;
    pos += h.cbSrcLengthUsed ? h.cbSrcLengthUsed : n;
  }
  acmStreamClose(s, 0);
  *pcmBytes = total;
  return Now() - t0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  HMODULE m = LoadLibraryA(argv[1]);
  if (!m) {
    std::printf("cannot load %s\n", argv[1]);
    return 1;
  }
  FILE* f = std::fopen(argv[2], "rb");
  if (!f) return 1;
  std::vector<unsigned char> d;
  unsigned char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) d.insert(d.end(), buf, buf + n);
  std::fclose(f);
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "DecodeBench";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "DecodeBench", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  double lib = 1e9, bare = 1e9;
  size_t pcm = 0;
  for (int r = 0; r < rounds; ++r) {  // alternate, keep the best of each
    lib = std::min(lib, DecodeWithLibrary(m, argv[2], w));
    bare = std::min(bare, DecodeBare(d, &pcm));
  }
  std::printf("mpeg.dll decode only: %.3f s\n", lib);
  std::printf("bare acmStreamConvert loop: %.3f s (%.1f s of sound)\n", bare, double(pcm) / (44100.0 * 4));
  std::printf("ratio mpeg.dll / bare loop: %.2f (target <= 1.2)\n", lib / bare);
  return 0;
}
