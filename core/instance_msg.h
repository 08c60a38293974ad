// The instance messages a second start sends to the running player (WM_COPYDATA).
// WParam is a small verb number that every build agrees on, never an address; the block's
// text is the argument with its NUL, and its length must match that text exactly.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sd {

enum InstanceVerb : uint32_t {
  kInstEditLyrics = 1,
  kInstAddFile = 2,
  kInstSkin = 3,
  kInstInstallPlus = 4,
  kInstPlay = 5,
  kInstNormal = 6,
};

// "#EditLyrics" ... "#Normal" for 1..6; nullptr for anything else.
const char* InstanceVerbText(uintptr_t number);

struct InstanceMessage {
  uint32_t verb;
  std::string arg;
  bool hasBlock;  // false only for "#Normal", which goes with LParam 0
  bool operator==(const InstanceMessage&) const = default;
};

// The messages a second start sends for its command-line arguments, in order.
std::vector<InstanceMessage> PlanForwarding(const std::vector<std::string>& args);

// Checks a received message. blockData/blockSize are the copy-data block's data (null when
// LParam was 0). False when the message must be ignored.
bool DecodeInstanceMessage(uintptr_t wparam, bool hasBlock, uintptr_t blockTag, const void* blockData,
                           uint32_t blockSize, std::string& verb, std::string& arg);

}  // namespace sd
