#include "core/dispatcher.h"

#include <algorithm>

#include "core/text.h"

namespace sd {

const VerbEntry* Dispatch(std::span<const VerbEntry> table, std::string_view verbIn, std::string_view argIn,
                          const ExternalOpen& openExternal) {
  std::string verb = NormalizeText(verbIn);
  std::string arg = NormalizeText(argIn);
  if (verb.empty()) return nullptr;
  for (size_t i = 0; i < table.size(); ++i) {
    const VerbEntry& e = table[i];
    if (verb != e.verb) continue;
    if (e.rewrite) {
      verb = e.rewrite();
      continue;  // matching goes on with the replacement
    }
    if (e.run) e.run(arg);
    return &e;
  }
  if (verb[0] != '#' && openExternal) openExternal(verb, arg);
  return nullptr;
}

bool SwitchValue(const std::string& arg, bool current) {
  switch (TextToInt(arg, -1)) {
    case 0: return false;
    case 1: return true;
    default: return !current;
  }
}

int SeekTarget(bool forward, const std::string& arg, int position, int totalTime) {
  int step = TextToInt(arg, 0);
  if (step <= 0) step = 5;
  if (forward) return std::min(position + step, totalTime);
  return std::max(position - step, 0);
}

}  // namespace sd
