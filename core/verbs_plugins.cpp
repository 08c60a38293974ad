// The category requests of general plug-ins. Their blocks stay in the plug-in's memory and
// are untrusted: every read and write goes through checked access, a count or a text
// beyond its limit is refused, and a failure shows one message naming the plug-in.
#include <cstring>

#include "app/library_host.h"
#include "core/checked_memory.h"
#include "core/commands.h"
#include "core/text.h"
#include "core/verbs.h"
#include "engines/plus.h"
#include "library/play.h"
#include "shell/option.h"
#include "ui/prompt.h"

namespace sd::verbs {

namespace {

constexpr size_t kMaxName = 1024;
constexpr uint32_t kMaxFiles = 100000;
constexpr size_t kMaxPath = 4096;

#pragma pack(push, 1)
struct RegisterBlock {
  uint8_t External;
  uint8_t Lock;
  uint8_t ReadOnly;
  uint32_t Name;
  uint32_t Password;
  int32_t NewId;
  int32_t Parent;
  uint8_t Kind;
};
struct ListBlock {
  int32_t Id;
  uint32_t Count;
  uint32_t Names;
};
#pragma pack(pop)
static_assert(sizeof(RegisterBlock) == 20 && offsetof(RegisterBlock, NewId) == 11 && offsetof(RegisterBlock, Kind) == 19);
static_assert(sizeof(ListBlock) == 12);

// The engine row of the plug-in that sent the request, or -1.
int SenderRow() {
  TPlus* p = Plus();
  TOption* o = Option();
  return (p && o) ? p->IndexOfGuid(o->Deferred().Sender()) : -1;
}

void PluginFailed(int row) {
  std::string name = Plus() ? Plus()->Engines[row].Name : "";
  ui::ShowMessage("插件 " + name + " 出现错误!, 请与插件供应者联系。", MB_ICONERROR);
}

uintptr_t BlockAddress(const std::string& arg) {
  // Addresses are decimal; one above 2^31 still names a place in a 32-bit process.
  long long v = 0;
  if (arg.empty() || arg.size() > 20) return 0;
  for (char c : arg) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (c - '0');
    if (v > 0xFFFFFFFFLL) return 0;
  }
  return static_cast<uintptr_t>(v);
}

}  // namespace

void Register(const std::string& arg) {
  TPlay* play = Library();
  int row = SenderRow();
  uintptr_t at = BlockAddress(arg);
  if (!play || row < 0 || at == 0) return;
  RegisterBlock b;
  const int32_t none = -1;
  if (!ReadOwnMemory(at, &b, sizeof b) || !WriteOwnMemory(at + offsetof(RegisterBlock, NewId), &none, 4)) {
    PluginFailed(row);
    return;
  }
  if (b.Name == 0) return;
  if (b.Parent != -1 && (b.Parent < 2 || b.Parent >= play->CategoryCount)) return;
  std::string name, password;
  if (!ReadOwnText(b.Name, name, kMaxName) || (b.Password && !ReadOwnText(b.Password, password, kMaxName))) {
    PluginFailed(row);
    return;
  }
  int index = play->AddCategory(name, b.Parent, b.Kind <= 2 ? b.Kind : 0);
  if (index < 0) return;
  TPlayList& c = play->MutableCategoryAt(index);
  c.Editable = false;
  c.External = b.External != 0;
  c.ReadOnly = b.ReadOnly != 0;
  c.Password = password;
  c.Locked = b.Lock != 0 && !Trim(password).empty();
  int32_t id = play->LastId;
  if (!WriteOwnMemory(at + offsetof(RegisterBlock, NewId), &id, 4)) PluginFailed(row);
}

void CtrlList(const std::string& arg) {
  TPlay* play = Library();
  int row = SenderRow();
  uintptr_t at = BlockAddress(arg);
  if (!play || row < 0 || at == 0) return;
  ListBlock b;
  if (!ReadOwnMemory(at, &b, sizeof b)) {
    PluginFailed(row);
    return;
  }
  // An add operation that has already met a media file is not disturbed.
  if (play->HasFirstAdded) return;
  int category = play->IndexOfId(b.Id);
  if (category < 0) return;
  if (b.Count > kMaxFiles) {
    PluginFailed(row);
    return;
  }
  // Every name is read before anything changes, so a bad block changes nothing.
  std::vector<std::string> names;
  names.reserve(b.Count);
  for (uint32_t i = 0; i < b.Count; ++i) {
    uint32_t p = 0;
    std::string name;
    if (!ReadOwnMemory(b.Names + static_cast<uintptr_t>(i) * 4, &p, 4) || !ReadOwnText(p, name, kMaxPath)) {
      PluginFailed(row);
      return;
    }
    names.push_back(name);
  }
  play->RemoveEntries(category, -1);
  play->BeginAdd();
  for (const std::string& n : names) play->AddFile(n, category);
  play->EndAdd(category);
}

void Unregister(const std::string& arg) {
  TPlay* play = Library();
  if (!play) return;
  int id = TextToInt(arg, -1);
  int index = play->IndexOfId(id);
  if (index < 2) return;  // none, or one of the two categories that always exist
  for (int i = 2; i < play->CategoryCount; ++i)
    if (play->CategoryAt(i).Parent == index) return;
  play->DeleteCategory(index);
}

}  // namespace sd::verbs
