// mpeg.dll on its own, loaded from the program folder.
#include <windows.h>

#include <gtest/gtest.h>

#include "mpegdll/mpeg.h"

TEST(MpegDll, Loads) {
  HMODULE m = LoadLibraryA(SD_DIST_DIR "mpeg.dll");
  ASSERT_NE(m, nullptr);
  EXPECT_NE(GetProcAddress(m, "player_new"), nullptr);
  FreeLibrary(m);
}
