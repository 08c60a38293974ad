// The block in which the test plug-ins count the messages they receive: named shared memory,
// so the counts survive the plug-in's unloading and the test reads them.
#pragma once
#include <windows.h>

struct TestPluginLog {
  LONG counts[64];
  LONG loads;
};

inline TestPluginLog* OpenTestPluginLog() {
  static TestPluginLog* log = nullptr;
  if (!log) {
    HANDLE m = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TestPluginLog),
                                  "songdeck_test_plugin_log");
    log = static_cast<TestPluginLog*>(MapViewOfFile(m, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(TestPluginLog)));
  }
  return log;
}
