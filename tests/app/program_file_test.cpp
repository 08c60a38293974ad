// The program file itself: its icons are where the file types expect them.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProgramFile, CarriesTheIconsOfTheFileTypes) {
  std::string exe = std::string(SD_DIST_DIR) + "songdeck.exe";
  // Indices 0-5: media (the application icon), play list, lyrics, spare, plug-in package, skin.
  EXPECT_EQ(ExtractIconExA(exe.c_str(), -1, nullptr, nullptr, 0), 6u);
  for (int i = 0; i < 6; ++i) {
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), exe.c_str(), i);
    EXPECT_TRUE(icon != nullptr && icon != reinterpret_cast<HICON>(1)) << i;
    if (icon) DestroyIcon(icon);
  }
  HMODULE m = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(m);
  EXPECT_TRUE(FindResourceA(m, "AIcon", MAKEINTRESOURCEA(14)));  // RT_GROUP_ICON
  FreeLibrary(m);
}

}  // namespace
