// The command dispatcher: verbs with one optional text argument, matched in table order after
// trimming and lowering ASCII letters (arguments are normalised the same way).
#pragma once
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace sd {

using VerbHandler = void (*)(const std::string& arg);
// A rewriting entry ("#playpause") names the verb that matching continues with.
using VerbRewrite = const char* (*)();

struct VerbEntry {
  const char* verb;     // lower case, as matched
  VerbHandler run;      // nullptr: the verb is known but its work is not built yet
  VerbRewrite rewrite;  // nullptr for ordinary verbs
};

// Opens a non-"#" verb as a program or document: (file, parameters).
using ExternalOpen = std::function<void(const std::string& file, const std::string& params)>;

// Runs one command against a table. Returns the entry that ran (nullptr when none did).
const VerbEntry* Dispatch(std::span<const VerbEntry> table, std::string_view verb, std::string_view arg,
                          const ExternalOpen& openExternal);

// Switch arguments: 0 off, 1 on, anything else (also none or not a number) inverts.
bool SwitchValue(const std::string& arg, bool current);

// Seeking target in whole seconds for "#forward"/"#rewind".
int SeekTarget(bool forward, const std::string& arg, int position, int totalTime);

}  // namespace sd
