// The library file ("default.ini"), play counts ("count.dat") and M3U lists.
#include <algorithm>

#include "core/text.h"
#include "library/play.h"
#include "library/profile.h"

namespace sd {

namespace {
constexpr size_t kLibraryLimit = 512u << 20;
constexpr size_t kListLimit = 64u << 20;
constexpr size_t kCountLimit = 64u << 20;
const char kStandard[] = "标准";
const char kCountSection[] = "播放文件";
constexpr size_t kListDepth = 16;
}  // namespace

std::string TPlay::LibraryText(std::vector<int>* read_back_out) const {
  return LibraryText(std::string(), read_back_out);
}

std::string TPlay::LibraryText(std::string&& buffer, std::vector<int>* read_back_out) const {
  ProfileWriter w(std::move(buffer));
  size_t bytes = 64;
  for (int i = 0; i < CategoryCount; ++i) {
    bytes += 64 + CategoryAt(i).Name.size();
    for (const TInfoRec& e : CategoryAt(i).Items) bytes += e.FileName.size() + 3;
  }
  w.ReserveBytes(bytes);
  w.Section(kStandard);
  const TPlayList& standard = CategoryAt(0);
  w.ReserveKeys(standard.Items.size() + 1);
  w.Key("password", standard.Password);
  for (const TInfoRec& e : standard.Items) w.Key(e.FileName, "");

  // Saved categories grouped by parent, siblings by their place in the tree, then index.
  auto saved = [&](int i) { return i >= 2 && i < CategoryCount && !CategoryAt(i).External; };
  std::vector<std::vector<int>> children(CategoryCount + 1);  // [0] top level, [p + 1] children of p
  for (int i = 2; i < CategoryCount; ++i) {
    if (!saved(i)) continue;
    int p = CategoryAt(i).Parent;
    children[saved(p) && p != i ? p + 1 : 0].push_back(i);
  }
  for (auto& list : children)
    std::stable_sort(list.begin(), list.end(),
                     [&](int a, int b) { return CategoryAt(a).SiblingOrder < CategoryAt(b).SiblingOrder; });

  std::vector<int> read_back(CategoryCount, -1);
  int n = 0;
  auto write = [&](int c) {
    const TPlayList& l = CategoryAt(c);
    read_back[c] = n + 2;
    w.Section("类型(" + IntToText(n) + ")");
    w.ReserveKeys(l.Items.size() + 5);
    w.Key("Name", l.Name);
    int p = l.Parent;
    w.Key("Parent", IntToText(p >= 0 && p < CategoryCount && read_back[p] >= 0 ? read_back[p] : -1));
    if (!l.Password.empty()) w.Key("password", l.Password);
    w.Reserve("password");
    w.Key("Style", IntToText(l.Kind));
    for (const TInfoRec& e : l.Items) w.Key(e.FileName, "");
    ++n;
  };
  // Depth first, parents before children, without recursion.
  auto walk = [&](int group) {
    std::vector<std::pair<int, size_t>> stack{{group, 0}};
    while (!stack.empty()) {
      auto& [g, at] = stack.back();
      if (at >= children[g].size()) {
        stack.pop_back();
        continue;
      }
      int c = children[g][at++];
      if (read_back[c] >= 0) continue;
      write(c);
      stack.push_back({c + 1, 0});
    }
  };
  walk(0);
  // Categories no top-level category leads to (a broken parent chain) are still kept.
  for (int i = 2; i < CategoryCount; ++i)
    if (saved(i) && read_back[i] < 0) {
      write(i);
      walk(i + 1);
    }
  if (read_back_out) {
    read_back[0] = 0;
    read_back[1] = 1;
    *read_back_out = std::move(read_back);
  }
  return std::move(w.Text());
}

bool TPlay::SaveCategories() {
  if (AddOperationOpen()) {
    save_deferred_ = true;
    return false;
  }
  save_deferred_ = false;
  if (load_incomplete_) return false;
  std::vector<int> read_back;
  std::string text = LibraryText(std::move(save_buffer_), &read_back);
  // The play category is stored as the index it will have when the file is read back.
  int play = ValidCategory(PlayIndex) && read_back[PlayIndex] >= 0 ? read_back[PlayIndex] : 0;
  if (seams_.settings) seams_.settings->WriteInt("参数", "选择类别", play);
  bool ok = seams_.library_file.empty() || WriteFileReplacing(Fs(), seams_.library_file, text);
  save_buffer_ = std::move(text);
  return ok;
}

void TPlay::LoadEntry(const std::string& path, int category) {
  // AddFile checks the abort after letting messages run and lets none run after it, so an
  // abort still set when it refused is what refused it.
  if (!AddFile(path, category) && AbortAdd) load_incomplete_ = true;
}

void TPlay::LoadLibraryText(const std::string& text) {
  std::vector<ProfileSection> sections = ParseProfile(text);
  for (const ProfileSection& s : sections) {
    if (!SameKeyName(s.name, kStandard)) continue;
    ReserveEntries(0, s.keys.size());
    for (const ProfileKey& k : s.keys) {
      if (SameKeyName(k.name, "password")) {
        TPlayList& l = MutableCategoryAt(0);
        if (l.Password.empty() || !k.value.empty()) l.Password = std::string(k.value);
        l.Locked = !l.Password.empty();
      } else {
        LoadEntry(std::string(k.name), 0);
      }
    }
  }
  for (const ProfileSection& s : sections) {
    if (SameKeyName(s.name, kStandard)) continue;
    int parent = std::max(TextToInt(s.Value("Parent", "-1"), -1), -1);
    if (parent >= CategoryCount) continue;
    int c = AddCategory(std::string(s.Value("Name")), parent, TextToInt(s.Value("Style", "0"), 0));
    const int id = Order[c];
    TPlayList& l = MutableCategoryAt(c);
    l.Password = std::string(s.Value("password"));
    l.Locked = !l.Password.empty();
    ReserveEntries(c, s.keys.size());
    for (const ProfileKey& k : s.keys) {
      if (k.name.size() <= 8 && (SameKeyName(k.name, "Name") || SameKeyName(k.name, "Style") ||
                                 SameKeyName(k.name, "Parent") || SameKeyName(k.name, "password")))
        continue;
      int now = IndexOfId(id);  // messages run while adding: find the category again
      if (now < 0) break;
      LoadEntry(std::string(k.name), now);
    }
  }
}

void TPlay::LoadCategories(const TLegacyList* legacy) {
  // The file is read whole before anything is added, and no save runs until the end.
  std::string text;
  bool have = !seams_.library_file.empty() && ReadWholeFile(Fs(), seams_.library_file, text, kLibraryLimit);
  if (!have && !seams_.library_file.empty() && Fs().KindOf(seams_.library_file) != IFileSystem::PathKind::kNone)
    load_incomplete_ = true;  // there but unreadable: keep it
  loading_ = true;
  if (legacy && legacy->Present) ImportLegacyList(*legacy);
  BeginAdd();
  if (have) LoadLibraryText(text);
  int play = seams_.settings ? seams_.settings->ReadInt("参数", "选择类别", 0) : 0;
  if (!ValidCategory(play)) play = 0;
  loading_ = false;
  SetPlayCategory(play);
  EndAdd(PlayIndex);
}

void TPlay::ImportLegacyList(const TLegacyList& legacy) {
  if (!legacy.Present) return;
  BeginAdd();
  if (!legacy.StandardPassword.empty()) {
    MutableCategoryAt(0).Password = legacy.StandardPassword;
    MutableCategoryAt(0).Locked = true;
  }
  for (const std::string& f : legacy.StandardFiles) LoadEntry(f, 0);
  for (const TLegacyCategory& lc : legacy.Custom) {
    int parent = std::max(lc.Parent, -1);
    if (parent >= CategoryCount) continue;
    int c = AddCategory(lc.Name, parent, lc.Style);
    const int id = Order[c];
    MutableCategoryAt(c).Password = lc.Password;
    MutableCategoryAt(c).Locked = !lc.Password.empty();
    for (const std::string& f : lc.Files) {
      int now = IndexOfId(id);
      if (now < 0) break;
      LoadEntry(f, now);
    }
  }
  int play = ValidCategory(legacy.PlayIndex) ? legacy.PlayIndex : 0;
  SetPlayCategory(play);
  EndAdd(PlayIndex);
}

void TPlay::ImportM3U(const std::string& path) {
  const std::string self = MakeFileKey(Fs(), path);
  if (lists_open_.size() >= kListDepth || std::find(lists_open_.begin(), lists_open_.end(), self) != lists_open_.end())
    return;
  std::string text;
  if (!ReadWholeFile(Fs(), path, text, kListLimit)) return;
  lists_open_.push_back(self);
  size_t pos = 0;
  while (pos < text.size() && !AbortAdd) {
    size_t end = pos;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    std::string line = Trim(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;
    if (LowerAscii(MakeFileKey(Fs(), line)) == LowerAscii(self)) continue;
    AddFile(line, -1);
  }
  lists_open_.pop_back();
}

bool TPlay::WriteM3U(int category, const std::string& path) {
  if (!ValidCategory(category)) return false;
  std::string text;
  for (const TInfoRec& e : CategoryAt(category).Items) text += e.FileName + "\r\n";
  return WriteFileReplacing(Fs(), path, text);
}

void TPlay::ExportM3U(int category, IM3UExportUI& ui) {
  if (!ValidCategory(category) || CategoryAt(category).Count == 0) return;
  std::string path;
  if (!ui.ChooseFile(path)) return;
  if (!WriteM3U(category, path)) ui.SaveFailed();
}

void TPlay::LoadCounts() {
  if (counts_loaded_) return;
  counts_loaded_ = true;
  std::string text;
  if (seams_.count_file.empty() || !ReadWholeFile(Fs(), seams_.count_file, text, kCountLimit)) return;
  for (const ProfileSection& s : ParseProfile(text)) {
    if (!SameKeyName(s.name, kCountSection)) continue;
    for (const ProfileKey& k : s.keys) {
      std::string key = LowerAscii(k.name);
      if (counts_.count(key)) continue;
      counts_[key] = std::max(TextToInt(k.value, 0), 0);
      count_order_.push_back(std::string(k.name));
    }
  }
}

bool TPlay::SaveCounts() {
  if (seams_.count_file.empty()) return true;
  ProfileWriter w;
  w.Section(kCountSection);
  for (const std::string& name : count_order_) w.Key(name, IntToText(counts_[LowerAscii(name)]));
  return WriteFileReplacing(Fs(), seams_.count_file, w.Text());
}

void TPlay::CountPlay(const std::string& key) {
  if (!Fs().FileExists(key)) return;
  ISettings* s = seams_.settings;
  if (s) {
    s->WriteInt("播放", "播放总数", s->ReadInt("播放", "播放总数", 0) + 1);
    s->WriteString("播放", "当前文件", key);
  }
  if (s && !s->ReadBool("播放", "允许记数", true)) return;
  LoadCounts();
  std::string lower = LowerAscii(key);
  auto it = counts_.find(lower);
  if (it == counts_.end()) {
    counts_[lower] = 1;
    count_order_.push_back(key);
  } else if (it->second < INT32_MAX) {
    ++it->second;
  }
  SaveCounts();
  const int32_t shown = PlayCount(key);
  Notify([&](IPlayObserver& o) { o.PlayCountChanged(key, shown); });
}

int32_t TPlay::PlayCount(const std::string& key) {
  if (seams_.settings && !seams_.settings->ReadBool("播放", "播放记数", true)) return 0;
  LoadCounts();
  auto it = counts_.find(LowerAscii(key));
  return it == counts_.end() ? 0 : it->second;
}

}  // namespace sd
