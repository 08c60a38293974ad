// The vqf.dll test double (see vqf_double.h).
#include <windows.h>

#include <cstring>

#include "tests/plugins/vqf/vqf_double.h"
#include "vqfdll/vqf.h"

using namespace vqftest;

namespace {

DoubleState g_state;
const char* g_startName = nullptr;  // the address the start block carried

void CopyName(char* to, const char* from) {
  if (!from) {
    to[0] = 0;
    return;
  }
  std::strncpy(to, from, 259);
  to[259] = 0;
}

volatile uintptr_t g_badAddress = 0x10;
volatile int g_zero = 0;

void Enter(Op op) {
  ++g_state.calls[CallIndex(op)];
  if (!(g_state.faultIn & op)) return;
  switch (g_state.faultKind) {
    case kReadFault:
      g_zero = *reinterpret_cast<volatile int*>(g_badAddress);
      break;
    case kDivideFault:
      g_zero = 100 / g_zero;
      break;
    default:
      *reinterpret_cast<volatile int*>(g_badAddress) = 1;
      break;
  }
}

}  // namespace

extern "C" {

DoubleState* WINAPI DoubleStateOf() { return &g_state; }

int32_t VQF_API DllDecoderStart(vqf::StartBlock* block) {
  std::memcpy(g_state.startBlock, block, sizeof g_state.startBlock);
  g_startName = block->fileName;
  CopyName(g_state.startName, block->fileName);
  Enter(kOpStart);
  return 0;
}

int32_t VQF_API DllDecoderStop(int32_t zero) {
  g_state.lastStopArgument = zero;
  Enter(kOpStop);
  return 0;
}

int32_t VQF_API DllDecoderPause() {
  Enter(kOpPause);
  return 0;
}

int32_t VQF_API DllDecoderRestart() {
  Enter(kOpRestart);
  return 0;
}

int32_t VQF_API DllDecoderGetInfo(uint8_t* info) {
  std::memcpy(&g_state.infoFirst, info, 4);
  const char* name = nullptr;
  std::memcpy(&name, info + vqf::kInfoNameOffset, sizeof name);
  CopyName(g_state.infoName, name);
  Enter(kOpGetInfo);
  std::memcpy(info + vqf::kInfoSecondsOffset, &g_state.seconds, 4);
  std::memcpy(info + vqf::kInfoFramesOffset, &g_state.frames, 4);
  return 0;
}

uint32_t VQF_API DllDecoderGetIframe() {
  CopyName(g_state.nameAtLastFrame, g_startName);
  Enter(kOpGetIframe);
  return g_state.frame;
}

}  // extern "C"
