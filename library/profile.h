// The profile (INI) text format as the system's profile functions read and write it:
// "[section]" lines and "key=value" lines; section and key names compare trimmed and without
// letter case; the first of duplicate keys wins; blank lines and ";" lines are skipped; a
// value loses one pair of surrounding quotes.
#pragma once
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace sd {

// Names and values are views into the parsed text, trimmed; the text must outlive them.
struct ProfileKey {
  std::string_view name;
  std::string_view value;
};

// Equal without ASCII letter case (names are already trimmed).
bool SameKeyName(std::string_view a, std::string_view b);

struct ProfileSection {
  std::string_view name;
  std::vector<ProfileKey> keys;  // file order; duplicates kept (the first one counts)
  // The value of the first key named name, or def.
  std::string_view Value(std::string_view name, std::string_view def = {}) const;
  bool Has(std::string_view name) const;
};

// Sections in file order; the keys of a section named again are not seen (the system's
// functions find the first one only).
std::vector<ProfileSection> ParseProfile(std::string_view text);

// Builds a profile text in one pass. A key named twice in a section is written once (the
// first time), as the system does; names and values lose line breaks.
class ProfileWriter {
 public:
  ProfileWriter() = default;
  // Writes into buffer's memory (its content is dropped, its capacity reused).
  explicit ProfileWriter(std::string&& buffer) : text_(std::move(buffer)) { text_.clear(); }
  ProfileWriter(const ProfileWriter&) = delete;
  ProfileWriter& operator=(const ProfileWriter&) = delete;

  void Section(std::string_view name);
  // False when the key was not written (already there, or a name the format cannot hold:
  // one with "=", or beginning with ";" or "[").
  bool Key(std::string_view name, std::string_view value);
  // Keeps entries from taking a name the section's own keys may use.
  void Reserve(std::string_view name);
  const std::string& Text() const { return text_; }
  std::string& Text() { return text_; }
  void ReserveBytes(size_t n) { text_.reserve(n); }
  // Room for n keys in the current section.
  void ReserveKeys(size_t n);

 private:
  // Names of the current section's keys as places in text_, in an open-addressing table;
  // hashed and compared without ASCII case.
  struct Ref {
    size_t off = 0, len = 0;
    size_t hash = 0;
    bool used = false;
  };
  bool SameName(const Ref& a, size_t off, size_t len) const;
  bool Remember(size_t off, size_t len, size_t hash);
  std::string text_;
  std::vector<Ref> table_;
  size_t keys_ = 0;
  size_t longest_reserved_ = 0;
  std::unordered_set<std::string> reserved_names_;
};

}  // namespace sd
