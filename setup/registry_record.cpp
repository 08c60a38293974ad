#include "setup/registry_record.h"

#include "core/reg.h"

namespace sd {

bool WriteVersionRecord(const std::string& programFile, const std::string& appFolder) {
  TReg reg;
  bool first = true;
  if (reg.OpenRegKey("")) {
    first = reg.ReadRegString("版本", "") != kVersionMark;
    reg.WriteRegString("版本", kVersionMark);
    reg.WriteRegString("执行文件", programFile);
  }
  if (reg.OpenRegKey("设定")) reg.WriteRegString("安装位置", appFolder);
  return first;
}

void ResetRegistryKey(const std::string& programFile) {
  TReg reg;
  std::string filters, openFolder;
  bool haveFilters = false, haveOpen = false;
  if (reg.KeyExists("Internet Explorer") && reg.OpenRegKey("Internet Explorer")) {
    filters = reg.ReadRegString("Filters", "\x01");
    haveFilters = filters != "\x01";
  }
  if (reg.KeyExists("设定") && reg.OpenRegKey("设定")) {
    openFolder = reg.ReadRegString("打开位置", "\x01");
    haveOpen = openFolder != "\x01";
  }
  reg.DeleteRegKey("");
  if (reg.OpenRegKey("")) {
    reg.WriteRegString("版本", kVersionMark);
    reg.WriteRegString("执行文件", programFile);
  }
  if (haveFilters && reg.OpenRegKey("Internet Explorer")) reg.WriteRegString("Filters", filters);
  if (haveOpen && reg.OpenRegKey("设定")) reg.WriteRegString("打开位置", openFolder);
  reg.CloseRegKey();
}

}  // namespace sd
