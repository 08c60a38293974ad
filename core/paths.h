// The program's folders and files, all relative to the folder that holds the program, and the
// application title. Computed once at start-up; read-only afterwards.
#pragma once
#include <string>
#include <string_view>

namespace sd {

inline constexpr const char* kAppTitle = "青禾播放器Ⅲ 2.5";

struct AppPaths {
  std::string AppFolder;     // with trailing backslash
  std::string LyricsFolder;  // AppFolder + "Lyrics\"
  std::string PluginFolder;  // AppFolder + "Ruvudo\"
  std::string PresetFolder;  // AppFolder + "EQPro\"
  std::string SkinFolder;    // AppFolder + "Skins\"
  std::string SettingsFile;  // AppFolder + "Options.ini"
  std::string CountFile;     // AppFolder + "count.dat"
  std::string LibraryFile;   // AppFolder + "default.ini"
  std::string ProgramFile;   // the program's full path
};

// Paths for a program file (full path). A program in a drive's root folder gives "C:\Options.ini".
AppPaths MakePaths(std::string_view programFile);

// The process-wide values: set at start-up, cleared at the very end of shutdown.
AppPaths& Paths();
// The folder the user last opened files or folders from; empty until known.
std::string& LastFolder();

}  // namespace sd
