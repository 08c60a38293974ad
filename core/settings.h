// INI-style settings files ("Options.ini" and the player's other profile files) over the
// system's profile functions. Every access opens, reads or writes, and closes the file:
// nothing is cached, a missing file or key reads as the default, and a write creates the
// file, section and key as needed. Booleans are written "1"/"0" and read as integers (any
// non-zero value is true; a text that is no number reads the default).
#pragma once
#include <string>
#include <vector>

namespace sd {

class IniFile {
 public:
  explicit IniFile(std::string path) : path_(std::move(path)) {}
  const std::string& Path() const { return path_; }

  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  std::vector<std::string> ReadSection(const std::string& section) const;  // key names

  void WriteString(const std::string& section, const std::string& key, const std::string& value) const;
  void WriteInteger(const std::string& section, const std::string& key, int value) const;
  void WriteBool(const std::string& section, const std::string& key, bool value) const;
  void EraseSection(const std::string& section) const;
  void DeleteKey(const std::string& section, const std::string& key) const;

 private:
  std::string path_;
};

// The settings file "Options.ini" beside the program.
IniFile Settings();

}  // namespace sd
