// The small interfaces through which the library reaches the rest of the player. Each has
// a do-nothing default so a test wires only what it looks at.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "library/tags.h"

namespace sd {

// Issues command verbs ("#Skin", "#InstallPlus", "#EditLyrics") and lets pending window
// messages run during long operations.
class IVerbSink {
 public:
  virtual ~IVerbSink() = default;
  virtual void RunVerb(const std::string& verb, const std::string& arg) {}
  virtual void ProcessMessages() {}
};

// The song-number controls: three digits (hundreds, tens, units); 10 shows a blank.
class ISongNumberDisplay {
 public:
  virtual ~ISongNumberDisplay() = default;
  virtual void ShowSongNumber(int hundreds, int tens, int units) {}
};

// The password dialog and its refusal message.
class IPasswordPrompt {
 public:
  virtual ~IPasswordPrompt() = default;
  // Shows the dialog with prompt; true with the typed text on OK, false when cancelled.
  virtual bool AskPassword(const std::string& prompt, std::string& text) { return false; }
  // "密码不正确!"
  virtual void WrongPassword() {}
};

// The play status record's side: told whenever the current song or its tag changes, then
// asked to refresh what depends on it (information text, lyrics, engines).
class ICurrentSongSink {
 public:
  virtual ~ICurrentSongSink() = default;
  virtual void CurrentSongChanged(const TTagRec& song) {}
  virtual void CurrentRefreshed() {}
};

// The random source of PickRandom.
class IRandomSource {
 public:
  virtual ~IRandomSource() = default;
  virtual void Reseed() = 0;
  // A number in 0 .. n - 1, every one equally likely (n >= 1).
  virtual uint32_t Below(uint32_t n) = 0;
};

// A folder search: walks folder (ending in "\") for files matching the mask list and hands
// each one to found (folder, name); returns when the search has ended.
class IFolderSearch {
 public:
  using FoundFn = std::function<void(const std::string& folder, const std::string& name)>;
  virtual ~IFolderSearch() = default;
  virtual void Find(const std::string& folder, const std::string& masks, const FoundFn& found,
                    bool recursive) = 0;
  // Asks a running search to stop; Find returns promptly.
  virtual void Cancel() = 0;
  // No search is running, or the running one has been told to stop and needs no more waiting.
  virtual bool Finished() = 0;
};

// The options file ("Options.ini").
class ISettings {
 public:
  virtual ~ISettings() = default;
  virtual std::string ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) = 0;
  virtual void WriteString(const std::string& section, const std::string& key,
                           const std::string& value) = 0;
  int32_t ReadInt(const std::string& section, const std::string& key, int32_t def);
  void WriteInt(const std::string& section, const std::string& key, int32_t value);
  bool ReadBool(const std::string& section, const std::string& key, bool def);
};

}  // namespace sd
