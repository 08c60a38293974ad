#include "core/paths.h"

#include "core/text.h"

namespace sd {

AppPaths MakePaths(std::string_view programFile) {
  AppPaths p;
  p.ProgramFile = std::string(programFile);
  p.AppFolder = WithBackslash(ExtractFilePath(programFile));
  p.LyricsFolder = p.AppFolder + "Lyrics\\";
  p.PluginFolder = p.AppFolder + "Ruvudo\\";
  p.PresetFolder = p.AppFolder + "EQPro\\";
  p.SkinFolder = p.AppFolder + "Skins\\";
  p.SettingsFile = p.AppFolder + "Options.ini";
  p.CountFile = p.AppFolder + "count.dat";
  p.LibraryFile = p.AppFolder + "default.ini";
  return p;
}

AppPaths& Paths() {
  static AppPaths paths;
  return paths;
}

std::string& LastFolder() {
  static std::string folder;
  return folder;
}

}  // namespace sd
