// The small record in the program's registry key: the version mark, the program file, the
// install folder. At exit the key is deleted and rewritten with only what survives.
#pragma once
#include <string>

namespace sd {

inline constexpr const char* kVersionMark = "2.24tm";

// Writes the record; true on the first start of this version (the stored mark differs).
bool WriteVersionRecord(const std::string& programFile, const std::string& appFolder);
// Keeps "Internet Explorer"\"Filters" and "设定"\"打开位置", deletes the key, rewrites
// "版本", "执行文件" and the kept values.
void ResetRegistryKey(const std::string& programFile);

}  // namespace sd
