// The profile (INI) text format as the system's profile functions read and write it:
// "[section]" lines and "key=value" lines; section and key names compare trimmed and without
// letter case; the first of duplicate keys wins; blank lines and ";" lines are skipped.
#pragma once
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace sd {

struct ProfileKey {
  std::string name;
  std::string value;
};

struct ProfileSection {
  std::string name;
  std::vector<ProfileKey> keys;  // file order; duplicates kept (the first one counts)
  // The value of the first key named name, or def.
  std::string Value(std::string_view name, std::string_view def = {}) const;
  bool Has(std::string_view name) const;
};

// Sections in file order; a section named again continues the first one.
std::vector<ProfileSection> ParseProfile(std::string_view text);

// Builds a profile text in one pass. A key named twice in a section is written once (the
// first time), as the system does; names and values lose line breaks.
class ProfileWriter {
 public:
  void Section(std::string_view name);
  // False when the key was not written (already there, or a name the format cannot hold:
  // one with "=", or beginning with ";" or "[").
  bool Key(std::string_view name, std::string_view value);
  // Keeps entries from taking a name the section's own keys may use.
  void Reserve(std::string_view name);
  const std::string& Text() const { return text_; }
  std::string& Text() { return text_; }

 private:
  std::string text_;
  std::unordered_set<std::string> names_;
};

}  // namespace sd
