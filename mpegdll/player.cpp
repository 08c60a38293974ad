// mpeg.dll: the player objects. The song is read into memory (and kept open with read
// sharing only) and scanned once for its frames; a decoding thread per playback feeds the frames through the
// system's ACM MP3 codec, equalises the PCM and writes it to waveOut (or to a file).
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstddef>
#include <new>
#include <cstring>
#include <string>
#include <vector>

#include "mpegdll/equalizer.h"
#include "mpegdll/mp3scan.h"
#include "mpegdll/mpeg.h"

using sd::mpeg::Equalizer;
using sd::mpeg::FrameHeader;
using sd::mpeg::StreamInfo;

namespace {

constexpr size_t kMaxFileBytes = size_t(512) << 20;  // songs larger than this are refused
constexpr int kDeviceBuffers = 6;                    // queued at the sound device ...
constexpr int kDeviceBufferMs = 50;                  // ... of this length each
constexpr int kAheadMs = 1000;                       // decoded PCM kept ready beyond that
constexpr int kFramesPerFeed = 4;                    // MP3 frames per codec call

int ThreadPriorityOf(int p) {
  switch (std::clamp(p, 1, 4)) {
    case 1: return THREAD_PRIORITY_BELOW_NORMAL;
    case 2: return THREAD_PRIORITY_NORMAL;
    case 3: return THREAD_PRIORITY_ABOVE_NORMAL;
    default: return THREAD_PRIORITY_HIGHEST;
  }
}

class Lock {
 public:
  explicit Lock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
  ~Lock() { LeaveCriticalSection(&cs_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CRITICAL_SECTION& cs_;
};

}  // namespace

struct MpegPlayer {
  HWND window = nullptr;
  CRITICAL_SECTION cs;
  HANDLE wake = nullptr;    // auto-reset: a command for the decoding thread
  HANDLE thread = nullptr;
  int priority = 4;

  // The open song.
  HANDLE file = INVALID_HANDLE_VALUE;
  std::vector<uint8_t> bytes;  // the whole file, read at open
  const uint8_t* data = nullptr;
  size_t size = 0;
  StreamInfo info;
  bool open = false;

  // Output to a file instead of the device (code 80).
  bool toFile = false;
  std::string outName;

  // Requests to the decoding thread, under cs.
  bool quit = false;
  bool ended = false;          // see Finish
  bool paused = false;
  long long seekTo = -1;       // sample, or -1
  bool eqChanged = false;
  int8_t eq[64] = {};
  long long startSample = 0;   // where the next playback starts
  long long runStart = 0;      // where the running one started

  volatile LONG state = MPEG_STATE_STOPPED;

  void Post(int code, intptr_t value) {
    if (window) PostMessageA(window, MPEG_NOTIFY_BASE + UINT(code), 0, LPARAM(value));
  }
  // The decoding thread is about to end on its own (the song ended or failed): from now on
  // a play command starts a new playback, although the thread may still be closing.
  void Finish() {
    EnterCriticalSection(&cs);
    ended = true;
    LeaveCriticalSection(&cs);
    InterlockedExchange(&state, MPEG_STATE_STOPPED);
  }
  // The same at the end of the song, unless a seek or stop came in meanwhile.
  bool FinishUnlessAsked() {
    EnterCriticalSection(&cs);
    bool idle = seekTo < 0 && !quit;
    if (idle) ended = true;
    LeaveCriticalSection(&cs);
    if (idle) InterlockedExchange(&state, MPEG_STATE_STOPPED);
    return idle;
  }
  void PostState(int s) {
    InterlockedExchange(&state, s);
    Post(MPEG_NOTE_STATE, s);
  }
  void PostTime(long long sample) {
    long long sec = info.format.sampleRate > 0 ? sample / info.format.sampleRate : 0;
    if (sec < 0) sec = 0;
    intptr_t v = intptr_t((sec / 3600) & 0xFF) | (intptr_t((sec / 60) % 60) << 8) | (intptr_t(sec % 60) << 16);
    Post(MPEG_NOTE_TIME, v);
  }
};

namespace {

// ---- the decoding thread -------------------------------------------------------------------

class Decoder {
 public:
  explicit Decoder(MpegPlayer& p) : p_(p), fmt_(p.info.format) {}
  ~Decoder() { Close(); }
  void Run();

 private:
  bool OpenCodec();
  void CloseCodec();
  bool OpenOutput();
  void Close();
  bool Feed();                    // decodes the next frames into pcm_; false at a codec failure
  void SeekTo(long long sample);
  bool WriteDevice();             // fills free device buffers; true when one was written
  void WriteFile();
  long long PlayedSamples();      // position of the sound being heard
  bool DeviceIdle();

  MpegPlayer& p_;
  const FrameHeader fmt_;
  const int ch_ = fmt_.channels;
  HACMSTREAM acm_ = nullptr;
  HWAVEOUT wave_ = nullptr;
  HANDLE done_ = nullptr;         // signalled by waveOut when a buffer comes back
  HANDLE out_ = INVALID_HANDLE_VALUE;
  WAVEHDR hdr_[kDeviceBuffers] = {};
  std::vector<int16_t> mem_[kDeviceBuffers];
  size_t bufFrames_ = 0;
  std::vector<uint8_t> src_;
  std::vector<uint8_t> dst_;
  std::vector<int16_t> pcm_;      // decoded, not yet written
  size_t pcmHead_ = 0;            // first unwritten sample in pcm_
  size_t next_ = 0;               // next frame to feed
  long long skip_ = 0;            // decoded samples (per channel) still to drop after a seek
  long long base_ = 0;            // song sample at device position 0
  long long written_ = 0;         // frames written since the last reset
  bool eof_ = false;
  bool fed_ = false;              // the codec has seen frames
  bool paused_ = false;
  Equalizer eq_;
};

bool Decoder::OpenCodec() {
  MPEGLAYER3WAVEFORMAT mf{};
  mf.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  mf.wfx.nChannels = WORD(ch_);
  mf.wfx.nSamplesPerSec = DWORD(fmt_.sampleRate);
  mf.wfx.nAvgBytesPerSec = DWORD(fmt_.bitrate * 125);
  mf.wfx.nBlockAlign = 1;
  mf.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  mf.wID = MPEGLAYER3_ID_MPEG;
  mf.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
  mf.nBlockSize = WORD(fmt_.frameBytes);
  mf.nFramesPerBlock = 1;
  mf.nCodecDelay = 0;
  WAVEFORMATEX pf{};
  pf.wFormatTag = WAVE_FORMAT_PCM;
  pf.nChannels = WORD(ch_);
  pf.nSamplesPerSec = DWORD(fmt_.sampleRate);
  pf.wBitsPerSample = 16;
  pf.nBlockAlign = WORD(2 * ch_);
  pf.nAvgBytesPerSec = pf.nSamplesPerSec * pf.nBlockAlign;
  return acmStreamOpen(&acm_, nullptr, &mf.wfx, &pf, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) == 0;
}

void Decoder::CloseCodec() {
  if (acm_) acmStreamClose(acm_, 0);
  acm_ = nullptr;
}

bool Decoder::OpenOutput() {
  bufFrames_ = size_t(fmt_.sampleRate) * kDeviceBufferMs / 1000;
  if (p_.toFile) {
    if (p_.outName.empty()) return true;  // decode only
    out_ = CreateFileA(p_.outName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return out_ != INVALID_HANDLE_VALUE;
  }
  WAVEFORMATEX pf{};
  pf.wFormatTag = WAVE_FORMAT_PCM;
  pf.nChannels = WORD(ch_);
  pf.nSamplesPerSec = DWORD(fmt_.sampleRate);
  pf.wBitsPerSample = 16;
  pf.nBlockAlign = WORD(2 * ch_);
  pf.nAvgBytesPerSec = pf.nSamplesPerSec * pf.nBlockAlign;
  done_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!done_) return false;
  if (waveOutOpen(&wave_, WAVE_MAPPER, &pf, DWORD_PTR(done_), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    wave_ = nullptr;
    return false;
  }
  for (int i = 0; i < kDeviceBuffers; ++i) {
    mem_[i].resize(bufFrames_ * size_t(ch_));
    hdr_[i].lpData = reinterpret_cast<LPSTR>(mem_[i].data());
    hdr_[i].dwBufferLength = DWORD(mem_[i].size() * 2);
    waveOutPrepareHeader(wave_, &hdr_[i], sizeof(WAVEHDR));
    hdr_[i].dwFlags |= WHDR_DONE;  // free
  }
  return true;
}

void Decoder::Close() {
  if (wave_) {
    waveOutReset(wave_);
    for (int i = 0; i < kDeviceBuffers; ++i)
      if (hdr_[i].dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(wave_, &hdr_[i], sizeof(WAVEHDR));
    waveOutClose(wave_);
    wave_ = nullptr;
  }
  if (done_) CloseHandle(done_);
  done_ = nullptr;
  if (out_ != INVALID_HANDLE_VALUE) CloseHandle(out_);
  out_ = INVALID_HANDLE_VALUE;
  CloseCodec();
}

bool Decoder::Feed() {
  const auto& frames = p_.info.frames;
  const auto& sizes = p_.info.sizes;
  if (next_ >= frames.size()) {
    eof_ = true;
    return true;
  }
  size_t end = std::min(frames.size(), next_ + kFramesPerFeed);
  src_.clear();
  for (size_t k = next_; k < end; ++k) {
    const uint8_t* from = p_.data + frames[k];
    src_.insert(src_.end(), from, from + sizes[k]);
  }
  next_ = end;
  fed_ = true;
  bool last = next_ >= frames.size();
  DWORD need = 0;
  if (acmStreamSize(acm_, DWORD(src_.size()), &need, ACM_STREAMSIZEF_SOURCE) != 0 || need == 0)
    need = DWORD(kFramesPerFeed + 2) * DWORD(fmt_.samplesPerFrame) * DWORD(2 * ch_);
  need = std::max<DWORD>(need, DWORD(kFramesPerFeed + 2) * DWORD(fmt_.samplesPerFrame) * DWORD(2 * ch_)) * 2;
  dst_.resize(need);
  // The codec takes what fits its output; whatever input it leaves goes in again.
  size_t used = 0, bytes = 0;
  for (int round = 0; round < 8 && (used < src_.size() || round == 0); ++round) {
    if (bytes + fmt_.samplesPerFrame * size_t(2 * ch_) > dst_.size()) dst_.resize(dst_.size() * 2);
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof h;
    h.pbSrc = src_.data() + used;
    h.cbSrcLength = DWORD(src_.size() - used);
    h.pbDst = dst_.data() + bytes;
    h.cbDstLength = DWORD(dst_.size() - bytes);
    if (acmStreamPrepareHeader(acm_, &h, 0) != 0) return false;
    MMRESULT r = acmStreamConvert(acm_, &h, ACM_STREAMCONVERTF_BLOCKALIGN | (last ? ACM_STREAMCONVERTF_END : 0));
    acmStreamUnprepareHeader(acm_, &h, 0);
    if (r != 0) return false;
    used += h.cbSrcLengthUsed;
    bytes += h.cbDstLengthUsed;
    if (h.cbSrcLengthUsed == 0 && h.cbDstLengthUsed == 0) break;
  }
  size_t samples = bytes / 2;
  const int16_t* s = reinterpret_cast<const int16_t*>(dst_.data());
  size_t frames16 = samples / size_t(ch_);
  size_t drop = size_t(std::min<long long>(skip_, (long long)frames16));
  skip_ -= (long long)drop;
  if (pcmHead_ > 0 && pcmHead_ * 2 >= pcm_.size()) {  // drop what was written, keep the rest
    pcm_.erase(pcm_.begin(), pcm_.begin() + std::ptrdiff_t(pcmHead_));
    pcmHead_ = 0;
  }
  pcm_.insert(pcm_.end(), s + drop * size_t(ch_), s + frames16 * size_t(ch_));
  if (last) eof_ = true;
  return true;
}

void Decoder::SeekTo(long long sample) {
  if (wave_) {
    waveOutReset(wave_);  // every queued buffer comes back
    if (paused_) waveOutPause(wave_);
  }
  pcm_.clear();
  pcmHead_ = 0;
  written_ = 0;
  base_ = sample;
  const StreamInfo& in = p_.info;
  long long total = (long long)in.TotalSamples();
  eof_ = false;
  if (sample >= total || in.frames.empty()) {
    next_ = in.frames.size();
    skip_ = 0;
    eof_ = true;
    return;
  }
  size_t k = in.FrameOfSample(uint64_t(sample));
  size_t start = in.PrimingStart(k);
  next_ = start;
  skip_ = sample - (long long)start * fmt_.samplesPerFrame;
  // A fresh codec: nothing of the old position may linger in it.
  if (fed_) {
    CloseCodec();
    OpenCodec();
    fed_ = false;
  }
}

bool Decoder::DeviceIdle() {
  for (int i = 0; i < kDeviceBuffers; ++i)
    if (!(hdr_[i].dwFlags & WHDR_DONE)) return false;
  return true;
}

bool Decoder::WriteDevice() {
  bool any = false;
  for (int i = 0; i < kDeviceBuffers; ++i) {
    if (!(hdr_[i].dwFlags & WHDR_DONE)) continue;
    size_t avail = (pcm_.size() - pcmHead_) / size_t(ch_);
    if (avail == 0 || (avail < bufFrames_ && !eof_)) break;
    size_t n = std::min(avail, bufFrames_);
    std::memcpy(mem_[i].data(), pcm_.data() + pcmHead_, n * size_t(ch_) * 2);
    pcmHead_ += n * size_t(ch_);
    eq_.Process(mem_[i].data(), n);
    hdr_[i].dwBufferLength = DWORD(n * size_t(ch_) * 2);
    hdr_[i].dwFlags &= ~DWORD(WHDR_DONE);
    if (waveOutWrite(wave_, &hdr_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
      hdr_[i].dwFlags |= WHDR_DONE;
      break;
    }
    written_ += (long long)n;
    any = true;
  }
  if (pcmHead_ == pcm_.size()) pcm_.clear(), pcmHead_ = 0;
  return any;
}

void Decoder::WriteFile() {
  size_t n = (pcm_.size() - pcmHead_) / size_t(ch_);
  if (n == 0) return;
  int16_t* s = pcm_.data() + pcmHead_;
  eq_.Process(s, n);
  if (out_ != INVALID_HANDLE_VALUE) {
    DWORD got = 0;
    ::WriteFile(out_, s, DWORD(n * size_t(ch_) * 2), &got, nullptr);
  }
  written_ += (long long)n;
  pcm_.clear();
  pcmHead_ = 0;
}

long long Decoder::PlayedSamples() {
  if (!wave_) return base_ + written_;
  MMTIME t{};
  t.wType = TIME_SAMPLES;
  if (waveOutGetPosition(wave_, &t, sizeof t) != MMSYSERR_NOERROR) return base_;
  long long played = t.wType == TIME_SAMPLES ? (long long)t.u.sample
                     : t.wType == TIME_BYTES  ? (long long)t.u.cb / (2 * ch_)
                                              : 0;
  return base_ + std::min(played, written_);
}

void Decoder::Run() {
  // A fatal error is the last notification of a playback: no state follows it, so the
  // receiver does not take the song for finished as well as failed.
  if (!OpenCodec()) {
    p_.Finish();
    p_.Post(MPEG_NOTE_ERROR, MPEG_ERR_CODEC);
    return;
  }
  if (!OpenOutput()) {
    Close();
    p_.Finish();
    p_.Post(MPEG_NOTE_ERROR, MPEG_ERR_OUTPUT);
    return;
  }
  eq_.Reset(fmt_.sampleRate, ch_);
  long long start;
  {
    Lock l(p_.cs);
    start = p_.runStart;
    p_.seekTo = -1;
    paused_ = p_.paused;
    eq_.SetGains(p_.eq);
    p_.eqChanged = false;
  }
  if (paused_ && wave_) waveOutPause(wave_);
  SeekTo(start);
  p_.PostState(paused_ ? MPEG_STATE_PAUSED : MPEG_STATE_PLAYING);
  p_.PostTime(start);
  long long lastSecond = fmt_.sampleRate > 0 ? start / fmt_.sampleRate : 0;
  bool draining = false;
  const size_t ahead = size_t(fmt_.sampleRate) * kAheadMs / 1000 * size_t(ch_);

  for (;;) {
    bool quit, paused, eqChanged;
    long long seek;
    int8_t eq[64];
    {
      Lock l(p_.cs);
      quit = p_.quit;
      paused = p_.paused;
      seek = p_.seekTo;
      p_.seekTo = -1;
      eqChanged = p_.eqChanged;
      p_.eqChanged = false;
      std::memcpy(eq, p_.eq, 64);
    }
    if (quit) break;
    if (eqChanged) eq_.SetGains(eq);
    if (paused != paused_) {
      paused_ = paused;
      if (wave_) paused ? waveOutPause(wave_) : waveOutRestart(wave_);
      p_.PostState(paused ? MPEG_STATE_PAUSED : draining ? MPEG_STATE_DRAINING : MPEG_STATE_PLAYING);
    }
    if (seek >= 0) {
      SeekTo(seek);
      draining = false;
      lastSecond = seek / fmt_.sampleRate;
      p_.PostTime(seek);
      if (!paused_) p_.PostState(MPEG_STATE_PLAYING);
    }

    bool busy = false;
    if (!eof_ && pcm_.size() - pcmHead_ < ahead) {
      if (!Feed()) {
        p_.Finish();
        p_.Post(MPEG_NOTE_ERROR, MPEG_ERR_DECODE);
        break;
      }
      busy = true;
    }
    if (wave_) {
      if (WriteDevice()) busy = true;
    } else if (!paused_) {
      WriteFile();
    }

    long long pos = PlayedSamples();
    long long second = pos / fmt_.sampleRate;
    if (second != lastSecond && !paused_) {
      lastSecond = second;
      p_.PostTime(pos);
    }
    bool allWritten = eof_ && pcm_.size() == pcmHead_;
    if (allWritten && !draining && !paused_) {
      draining = true;
      p_.PostState(MPEG_STATE_DRAINING);
    }
    if (draining && (!wave_ || DeviceIdle())) {
      if (wave_ || !paused_) {
        if (p_.FinishUnlessAsked()) {
          p_.PostState(MPEG_STATE_STOPPED);
          break;
        }
      }
    }
    if (!busy || (wave_ && pcm_.size() - pcmHead_ >= ahead)) {
      HANDLE h[2] = {p_.wake, done_};
      WaitForMultipleObjects(done_ ? 2 : 1, h, FALSE, paused_ || !wave_ ? 100 : 20);
    }
  }
  Close();
}

DWORD WINAPI DecoderThread(LPVOID arg) {
  auto* p = static_cast<MpegPlayer*>(arg);
  {
    Decoder d(*p);
    d.Run();
  }
  return 0;
}

// ---- commands --------------------------------------------------------------------------------

void StopThread(MpegPlayer* p) {
  if (!p->thread) return;
  {
    Lock l(p->cs);
    p->quit = true;
  }
  SetEvent(p->wake);
  WaitForSingleObject(p->thread, INFINITE);  // the thread checks for quit at least every 100 ms
  CloseHandle(p->thread);
  p->thread = nullptr;
  Lock l(p->cs);
  p->quit = false;
}

// A playback is going on (a thread that has not finished on its own).
bool ThreadRunning(MpegPlayer* p) {
  if (!p->thread) return false;
  Lock l(p->cs);
  return !p->ended && WaitForSingleObject(p->thread, 0) == WAIT_TIMEOUT;
}

void CloseSong(MpegPlayer* p) {
  StopThread(p);
  std::vector<uint8_t>().swap(p->bytes);
  if (p->file != INVALID_HANDLE_VALUE) CloseHandle(p->file);
  p->data = nullptr;
  p->file = INVALID_HANDLE_VALUE;
  p->size = 0;
  p->info = StreamInfo{};
  p->open = false;
  Lock l(p->cs);
  p->startSample = 0;
  p->paused = false;
}

int OpenSong(MpegPlayer* p, const char* name) {
  CloseSong(p);
  InterlockedExchange(&p->state, MPEG_STATE_STOPPED);
  p->file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (p->file == INVALID_HANDLE_VALUE) {
    p->Post(MPEG_NOTE_ERROR, MPEG_ERR_OPEN);
    return MPEG_E_OPEN;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(p->file, &size) || size.QuadPart < 0 || (unsigned long long)size.QuadPart > kMaxFileBytes) {
    CloseSong(p);
    p->Post(MPEG_NOTE_ERROR, MPEG_ERR_OPEN);
    return MPEG_E_OPEN;
  }
  // Read once into memory: a read error then shows here, not in the middle of decoding.
  size_t want = size_t(size.QuadPart);
  try {
    p->bytes.resize(want);
  } catch (const std::bad_alloc&) {
    CloseSong(p);
    p->Post(MPEG_NOTE_ERROR, MPEG_ERR_OPEN);
    return MPEG_E_OPEN;
  }
  size_t got = 0;
  while (got < want) {
    DWORD n = 0;
    DWORD chunk = DWORD(std::min<size_t>(want - got, size_t(1) << 20));
    if (!ReadFile(p->file, p->bytes.data() + got, chunk, &n, nullptr) || n == 0) break;
    got += n;
  }
  if (got < want) {
    CloseSong(p);
    p->Post(MPEG_NOTE_ERROR, MPEG_ERR_OPEN);
    return MPEG_E_OPEN;
  }
  p->size = want;
  p->data = p->bytes.data();
  if (!p->data || !sd::mpeg::ScanStream(p->data, p->size, p->info)) {
    CloseSong(p);
    p->Post(MPEG_NOTE_ERROR, MPEG_ERR_FORMAT);
    return MPEG_E_OPEN;
  }
  // The file stays open for reading (read sharing only) until the song is closed.
  p->open = true;
  p->Post(MPEG_NOTE_DURATION, intptr_t(p->info.DurationSeconds()));
  if (p->info.damagedBytes > 0) p->Post(MPEG_NOTE_ERROR, MPEG_WARN_DAMAGED);
  return MPEG_OK;
}

int Play(MpegPlayer* p) {
  if (!p->open) return MPEG_E_STATE;
  if (ThreadRunning(p)) {
    Lock l(p->cs);
    p->paused = false;
    SetEvent(p->wake);
    return MPEG_OK;
  }
  if (p->thread) {  // the song ended: play it again from the start (or the seek target)
    WaitForSingleObject(p->thread, INFINITE);  // it is only closing its output
    CloseHandle(p->thread);
    p->thread = nullptr;
  }
  {
    Lock l(p->cs);
    p->paused = false;
    p->quit = false;
    p->ended = false;
    // After this playback, a new one starts from the top unless a seek says otherwise.
    p->runStart = p->startSample;
    p->startSample = 0;
  }
  p->thread = CreateThread(nullptr, 0, DecoderThread, p, CREATE_SUSPENDED, nullptr);
  if (!p->thread) {
    p->Post(MPEG_NOTE_ERROR, MPEG_ERR_THREAD);
    return MPEG_E_SYSTEM;
  }
  SetThreadPriority(p->thread, ThreadPriorityOf(p->priority));
  InterlockedExchange(&p->state, MPEG_STATE_PLAYING);
  ResumeThread(p->thread);
  return MPEG_OK;
}

}  // namespace

// ---- exports -----------------------------------------------------------------------------------

extern "C" {

int MPEG_API player_new(MpegPlayer** player, const void* window) {
  if (!player) return MPEG_E_ARGUMENT;
  *player = nullptr;
  auto* p = new (std::nothrow) MpegPlayer;
  if (!p) return MPEG_E_SYSTEM;
  p->window = window ? *static_cast<const HWND*>(window) : nullptr;
  InitializeCriticalSection(&p->cs);
  p->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!p->wake) {
    DeleteCriticalSection(&p->cs);
    delete p;
    return MPEG_E_SYSTEM;
  }
  *player = p;
  return MPEG_OK;
}

int MPEG_API player_delete(MpegPlayer* p) {
  if (!p) return MPEG_OK;
  CloseSong(p);  // stops and joins the decoding thread, closes the output and the file
  CloseHandle(p->wake);
  DeleteCriticalSection(&p->cs);
  delete p;
  return MPEG_OK;
}

int MPEG_API player_set_priority(MpegPlayer* p, int priority) {
  if (!p) return MPEG_E_ARGUMENT;
  p->priority = std::clamp(priority, 1, 4);
  if (p->thread) SetThreadPriority(p->thread, ThreadPriorityOf(p->priority));
  return MPEG_OK;
}

int MPEG_API control_message_send_N(MpegPlayer* p, int code) {
  if (!p) return MPEG_E_ARGUMENT;
  switch (code) {
    case MPEG_CMD_PLAY:
      return Play(p);
    case MPEG_CMD_PAUSE: {
      if (!ThreadRunning(p)) return MPEG_E_STATE;
      Lock l(p->cs);
      p->paused = true;
      SetEvent(p->wake);
      return MPEG_OK;
    }
    case MPEG_CMD_STOP: {
      StopThread(p);
      InterlockedExchange(&p->state, MPEG_STATE_STOPPED);
      Lock l(p->cs);
      p->startSample = 0;
      p->paused = false;
      return MPEG_OK;
    }
    case MPEG_CMD_CLOSE:
      CloseSong(p);
      return MPEG_OK;
    default:
      return MPEG_E_ARGUMENT;
  }
}

int MPEG_API control_message_send_S(MpegPlayer* p, int code, const char* text) {
  if (!p || !text) return MPEG_E_ARGUMENT;
  switch (code) {
    case MPEG_CMD_OPEN:
      return OpenSong(p, text);
    case MPEG_CMD_OUTPUT_FILE:
      if (ThreadRunning(p)) return MPEG_E_STATE;
      p->toFile = true;
      p->outName.assign(text, strnlen(text, MAX_PATH));
      return MPEG_OK;
    default:
      return MPEG_E_ARGUMENT;
  }
}

int MPEG_API control_message_send_P(MpegPlayer* p, int code, const void* data) {
  if (!p || !data || code != MPEG_CMD_EQUALIZER) return MPEG_E_ARGUMENT;
  Lock l(p->cs);
  std::memcpy(p->eq, data, 64);
  p->eqChanged = true;
  SetEvent(p->wake);
  return MPEG_OK;
}

int MPEG_API control_message_send_II(MpegPlayer* p, int code, int a, int b) {
  (void)b;  // the song's own length is known here
  if (!p || code != MPEG_CMD_SEEK) return MPEG_E_ARGUMENT;
  if (!p->open) return MPEG_E_STATE;
  long long sample = (long long)std::max(a, 0) * p->info.format.sampleRate;
  Lock l(p->cs);
  if (ThreadRunning(p)) {
    p->seekTo = sample;
    SetEvent(p->wake);
  } else {
    p->startSample = sample;  // the next playback starts there
  }
  return MPEG_OK;
}

int MPEG_API control_win32_params_to_message(MpegPlayer* player, MpegMessage* block, uint32_t msg,
                                             uintptr_t wparam, intptr_t lparam) {
  (void)player, (void)wparam;
  if (!block) return MPEG_E_ARGUMENT;
  if (msg < MPEG_NOTIFY_BASE) return MPEG_E_NOT_OURS;
  uint32_t code = msg - MPEG_NOTIFY_BASE;
  std::memset(block, 0, sizeof *block);
  block->code = int32_t(code);
  switch (code) {
    case MPEG_NOTE_ERROR:
    case MPEG_NOTE_STATE:
      block->data[0] = uint8_t(lparam);
      return MPEG_OK;
    case MPEG_NOTE_TIME:
      block->data[0] = uint8_t(lparam);
      block->data[1] = uint8_t(lparam >> 8);
      block->data[2] = uint8_t(lparam >> 16);
      return MPEG_OK;
    case MPEG_NOTE_DURATION: {
      int32_t v = int32_t(lparam);
      std::memcpy(block->data, &v, 4);
      return MPEG_OK;
    }
    default:
      block->code = 0;
      return MPEG_E_NOT_OURS;
  }
}

}  // extern "C"
