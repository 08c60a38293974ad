// vqf.dll - OUR STAND-IN for the outside TwinVQ decoder library that the VQF plug-in
// twindeck drives. It is not a decoder: it reads the header chunks of a TwinVQ file for
// the song's length and number of frames, and "plays" by advancing a frame counter with
// the clock (frames per second from the header's sample rate). It makes no sound. Like the
// real library it wants its data file "twinvq2.cdb" beside it.
//
// The six operations, looked up by name; the blocks are laid out for 32-bit callers (an
// address takes pointer size in a 64-bit build, so offset 4 of the information block then
// holds 8 bytes; offsets 36 and 40 are the same in both).
#pragma once
#include <cstdint>

#if defined(_WIN32)
#define VQF_API __stdcall
#else
#define VQF_API
#endif

namespace vqf {

// Given to DllDecoderStart: 0, address of the file name, 1, 0.
struct StartBlock {
  uintptr_t reserved0;
  const char* fileName;
  uintptr_t one;
  uintptr_t reserved3;
};

// Given to DllDecoderGetInfo, 96 bytes: on entry offset 0 holds 0 and offset 4 the address
// of the file name; on return offset 36 holds the length in seconds and offset 40 the
// number of frames (32-bit unsigned each).
constexpr int kInfoSize = 96;
constexpr int kInfoNameOffset = 4;
constexpr int kInfoSecondsOffset = 36;
constexpr int kInfoFramesOffset = 40;

using StartFn = int32_t(VQF_API*)(StartBlock* block);
using StopFn = int32_t(VQF_API*)(int32_t zero);
using PauseFn = int32_t(VQF_API*)();
using RestartFn = int32_t(VQF_API*)();
using GetInfoFn = int32_t(VQF_API*)(uint8_t* info);
using GetIframeFn = uint32_t(VQF_API*)();

}  // namespace vqf

// The exports of the stand-in (undecorated names, see vqf.def).
extern "C" {
int32_t VQF_API DllDecoderStart(vqf::StartBlock* block);
int32_t VQF_API DllDecoderStop(int32_t zero);
int32_t VQF_API DllDecoderPause();
int32_t VQF_API DllDecoderRestart();
int32_t VQF_API DllDecoderGetInfo(uint8_t* info);
uint32_t VQF_API DllDecoderGetIframe();
}
