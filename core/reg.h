// The registry class: one object per use (create, open, read or write, free) over the
// program's key "\Software\青禾软件\青禾播放器\" under HKEY_CURRENT_USER.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace sd {

inline constexpr const char* kRegRoot = "\\Software\\青禾软件\\青禾播放器\\";

class TReg {
 public:
  TReg();
  ~TReg() { CloseRegKey(); }
  TReg(const TReg&) = delete;
  TReg& operator=(const TReg&) = delete;

  // Closes any open key; opens root + subkey, creating it; an empty subkey opens the root.
  bool OpenRegKey(const std::string& subkey);
  void CloseRegKey();
  // Whether root + subkey exists, without creating it (and without opening it here).
  bool KeyExists(const std::string& subkey) const;
  // Deletes root + subkey with everything below it (empty: the whole root); leaves no key open.
  void DeleteRegKey(const std::string& subkey);
  void RegKeyNames(std::vector<std::string>& list) const;
  void RegValueNames(std::vector<std::string>& list) const;
  int ReadRegInteger(const std::string& name, int def) const;
  // The value when it is a plain string; other types (expandable strings too) give the default.
  std::string ReadRegString(const std::string& name, const std::string& def) const;
  void WriteRegString(const std::string& name, const std::string& value);

  std::string root;
  std::string subkey;

 private:
  std::string FullPath(const std::string& sub) const;
  HKEY key_ = nullptr;
};

}  // namespace sd
