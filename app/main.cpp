#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The arguments as the system passed them, GBK bytes.
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
  char path[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, path, sizeof path - 1);
  return sd::RunPlayer(path, args);
}
