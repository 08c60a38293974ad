// A test double of vqf.dll, built by the tests in several cuts (each .def file exports a
// different set of the six operations). The test steers it and reads what it saw through
// the one extra export DoubleState.
#pragma once
#include <cstdint>

namespace vqftest {

enum Op : uint32_t {
  kOpStart = 1,
  kOpStop = 2,
  kOpPause = 4,
  kOpRestart = 8,
  kOpGetInfo = 16,
  kOpGetIframe = 32,
};

enum FaultKind : uint32_t {
  kWriteFault = 0,   // a write to an address that is not mapped
  kReadFault = 1,    // a read of one
  kDivideFault = 2,  // an integer division by zero
};

struct DoubleState {
  // set by the test
  uint32_t seconds = 0;  // given back at offset 36 of the information block
  uint32_t frames = 0;   // at offset 40
  uint32_t frame = 0;    // what DllDecoderGetIframe answers
  uint32_t faultIn = 0;  // Op bits: these operations fault
  uint32_t faultKind = kWriteFault;
  // seen by the double
  int calls[6] = {};  // by operation, in the order of Op
  uintptr_t startBlock[4] = {};
  char startName[260] = {};       // the name as it read at the start
  char nameAtLastFrame[260] = {};  // what the start block's name address held at the last frame call
  uint32_t infoFirst = 0xFFFFFFFF;  // offset 0 of the information block on entry
  char infoName[260] = {};
  int32_t lastStopArgument = -1;
};

inline int CallIndex(Op op) {
  int k = 0;
  for (uint32_t v = op; v > 1; v >>= 1) ++k;
  return k;
}

}  // namespace vqftest
