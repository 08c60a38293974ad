#include "library/play.h"

#include <algorithm>
#include <ctime>
#include <random>

#include "core/text.h"
#include "library/masks.h"

namespace sd {

namespace {
class ClockRandom : public IRandomSource {
 public:
  // Seeded from the clock, mixed with the generator's own state so that picks within one
  // clock tick do not repeat.
  void Reseed() override {
    uint32_t mix = gen_() ^ static_cast<uint32_t>(std::time(nullptr)) ^ (static_cast<uint32_t>(std::clock()) << 7);
    gen_.seed(mix);
  }
  uint32_t Below(uint32_t n) override { return std::uniform_int_distribution<uint32_t>(0, n - 1)(gen_); }

 private:
  std::mt19937 gen_{12345u};
};

enum class Kind { kMedia, kSkin, kPackage, kLyrics, kList };

Kind KindOf(const std::string& path) {
  std::string ext = LowerAscii(ExtractFileExt(path));
  if (ext == ".eks") return Kind::kSkin;
  if (ext == ".pis") return Kind::kPackage;
  if (ext == ".lrc" || ext == ".txt") return Kind::kLyrics;
  if (ext == ".m3u") return Kind::kList;
  return Kind::kMedia;
}

const TPlayList kNoCategory = [] {
  TPlayList l;
  l.Free = true;
  l.Editable = false;
  return l;
}();
}  // namespace

int32_t ISettings::ReadInt(const std::string& section, const std::string& key, int32_t def) {
  return TextToInt(ReadString(section, key, IntToText(def)), def);
}
void ISettings::WriteInt(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, IntToText(value));
}
bool ISettings::ReadBool(const std::string& section, const std::string& key, bool def) {
  return TextToInt(ReadString(section, key, def ? "1" : "0"), def ? 1 : 0) != 0;
}

TPlay::TPlay(const TPlaySeams& seams) : seams_(seams) {
  if (!seams_.verbs) seams_.verbs = &default_verbs_;
  if (!seams_.digits) seams_.digits = &default_digits_;
  if (!seams_.passwords) seams_.passwords = &default_passwords_;
  if (!seams_.current) seams_.current = &default_current_;
  if (!seams_.random) {
    own_random_ = std::make_unique<ClockRandom>();
    seams_.random = own_random_.get();
  }
  if (!seams_.search) {
    own_search_ = std::make_unique<InlineFolderSearch>(*seams_.fs);
    seams_.search = own_search_.get();
  }
  AddCategory("标准", -1, kKindPlain);
  MutableCategoryAt(0).Editable = false;
  AddCategory("CD Audio", -1, kKindPlain);
  TPlayList& cd = MutableCategoryAt(1);
  cd.External = true;
  cd.ReadOnly = true;
  cd.Editable = false;
  SetPlayCategory(0);
}

TPlay::~TPlay() = default;

void TPlay::AddObserver(IPlayObserver* o) {
  if (o && std::find(observers_.begin(), observers_.end(), o) == observers_.end()) observers_.push_back(o);
}

void TPlay::RemoveObserver(IPlayObserver* o) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

bool TPlay::ValidCategory(int index) const { return index >= 0 && index < CategoryCount; }

const TPlayList& TPlay::CategoryAt(int index) const {
  return ValidCategory(index) ? Slots[Order[index]] : kNoCategory;
}

TPlayList& TPlay::MutableCategoryAt(int index) { return Slots[Order[index]]; }

TInfoRec* TPlay::Entry(int category, int entry) {
  if (!ValidCategory(category)) return nullptr;
  TPlayList& l = MutableCategoryAt(category);
  if (entry < 0 || entry >= l.Count) return nullptr;
  return &l.Items[entry];
}

int TPlay::IndexOfId(int id) const {
  if (id < 0 || id >= SlotCount || Slots[id].Free) return -1;
  int i = Slots[id].Index;
  return i >= 0 && i < CategoryCount && Order[i] == id ? i : -1;
}

bool TPlay::AddFile(const std::string& raw_path, int category) {
  if (AbortAdd) return false;
  seams_.verbs->ProcessMessages();
  if (AbortAdd) return false;
  const std::string path = Trim(raw_path);
  if (path.empty()) return false;
  Kind kind = KindOf(path);
  if (kind == Kind::kList) {
    ImportM3U(path);
    return false;
  }
  const IFileSystem::PathKind on_disk = Fs().KindOf(path);
  if (on_disk == IFileSystem::PathKind::kFolder) {
    Search(WithBackslash(path));
    return false;
  }
  // A path that names nothing has no short form: its key is the lower-cased path.
  const std::string key = on_disk == IFileSystem::PathKind::kNone ? LowerAscii(path) : MakeFileKey(Fs(), path);
  switch (KindOf(key)) {
    case Kind::kSkin: seams_.verbs->RunVerb("#Skin", key); return false;
    case Kind::kPackage: seams_.verbs->RunVerb("#InstallPlus", key); return false;
    case Kind::kLyrics: seams_.verbs->RunVerb("#EditLyrics", key); return false;
    default: break;
  }
  if (!HasFirstAdded) {
    FirstAdded = key;
    HasFirstAdded = true;
  }
  if (category == -1) category = ViewIndex;
  if (!ValidCategory(category)) return false;
  TPlayList& list = MutableCategoryAt(category);
  auto& index = keys_[Order[category]];
  if (index.count(key)) return false;
  TInfoRec rec;
  rec.FileName = path;
  rec.FileKey = key;
  rec.Failed = on_disk != IFileSystem::PathKind::kFile;
  list.Items.push_back(std::move(rec));
  list.Count = static_cast<int32_t>(list.Items.size());
  index[key] = list.Count - 1;
  if (category == ViewIndex) ViewCount = list.Count;
  const int entry = list.Count - 1;
  Notify([&](IPlayObserver& o) { o.EntryAdded(category, entry); });
  return true;
}

void TPlay::ReserveEntries(int category, size_t n) {
  if (!ValidCategory(category) || n > (1u << 24)) return;
  TPlayList& l = MutableCategoryAt(category);
  l.Items.reserve(l.Items.size() + n);
  keys_[Order[category]].reserve(l.Items.size() + n);
}

void TPlay::Search(const std::string& folder) {
  // One search at a time: a folder added while another is being walked is refused.
  if (Finder) return;
  Finder = seams_.search;
  Finder->Find(folder, FolderMasks,
               [this](const std::string& f, const std::string& name) {
                 if (!AbortAdd) AddFile(f + name, -1);
               },
               true);
  Finder = nullptr;
}

void TPlay::ReindexFrom(TPlayList& list, std::unordered_map<std::string, int>& index, int from, int to) {
  for (int i = std::max(from, 0); i <= to && i < list.Count; ++i) index[list.Items[i].FileKey] = i;
}

void TPlay::RemoveEntries(int category, int entry) {
  if (!ValidCategory(category)) return;
  TPlayList& list = MutableCategoryAt(category);
  auto& index = keys_[Order[category]];
  if (entry == -1) {
    list.Items.clear();
    index.clear();
  } else {
    if (entry < 0 || entry >= list.Count) return;
    index.erase(list.Items[entry].FileKey);
    list.Items.erase(list.Items.begin() + entry);
  }
  list.Count = static_cast<int32_t>(list.Items.size());
  if (entry >= 0) ReindexFrom(list, index, entry, list.Count - 1);
  if (category == ViewIndex) ViewCount = list.Count;
  // Observers may change the library: nothing of it is held across the call.
  Notify([&](IPlayObserver& o) { o.EntryRemoved(category, entry); });
  if (category == PlayIndex) SetCurrent(FindEntry(CurrentSong.FileKey, PlayIndex));
}

void TPlay::MoveEntry(int category, int from, int to) {
  if (!ValidCategory(category)) return;
  TPlayList& list = MutableCategoryAt(category);
  if (from < 0 || from >= list.Count || to < 0 || to >= list.Count || from == to) return;
  if (from < to)
    std::rotate(list.Items.begin() + from, list.Items.begin() + from + 1, list.Items.begin() + to + 1);
  else
    std::rotate(list.Items.begin() + to, list.Items.begin() + from, list.Items.begin() + from + 1);
  ReindexFrom(list, keys_[Order[category]], std::min(from, to), std::max(from, to));
  Notify([&](IPlayObserver& o) { o.EntryMoved(category, from, to); });
}

int TPlay::AddCategory(const std::string& name, int parent, int kind) {
  if (parent < 2 || parent >= CategoryCount) parent = -1;
  const int index = CategoryCount;
  int slot = -1;
  for (int s = 0; s < SlotCount; ++s)
    if (Slots[s].Free) {
      slot = s;
      break;
    }
  if (slot < 0) {
    slot = SlotCount++;
    Slots.emplace_back();
    keys_.emplace_back();
  }
  TPlayList& l = Slots[slot];
  l.Free = false;
  l.Name = name;
  l.Kind = static_cast<uint8_t>(kind >= 0 && kind <= 2 ? kind : kKindPlain);
  l.Parent = parent;
  l.Index = index;
  l.Locked = false;
  l.ReadOnly = false;
  l.Password.clear();
  l.Editable = true;
  l.External = parent >= 0 && CategoryAt(parent).External;
  l.Items.clear();
  l.Count = 0;
  keys_[slot].clear();
  Order.push_back(slot);
  ++CategoryCount;
  LastId = slot;
  Notify([&](IPlayObserver& o) { o.CategoryAdded(index); });
  return index;
}

void TPlay::DeleteCategory(int index) {
  if (index < 2 || index >= CategoryCount) return;
  const int slot = Order[index];
  TPlayList& l = Slots[slot];
  l.Free = true;
  l.Items.clear();
  l.Count = 0;
  l.Parent = -1;
  keys_[slot].clear();
  Order.erase(Order.begin() + index);
  --CategoryCount;
  for (int i = index; i < CategoryCount; ++i) Slots[Order[i]].Index = i;
  // Parent links follow the indexes; children of the deleted category move to the top.
  for (int i = 2; i < CategoryCount; ++i) {
    TPlayList& c = Slots[Order[i]];
    if (c.Parent == index) c.Parent = -1;
    else if (c.Parent > index) --c.Parent;
  }
  if (ViewIndex == index) {
    ViewIndex = 0;
    ViewCount = CategoryAt(0).Count;
  } else if (ViewIndex > index) {
    --ViewIndex;
  }
  Notify([&](IPlayObserver& o) { o.CategoryDeleted(index); });
  if (PlayIndex == index) SetPlayCategory(0);
  else if (PlayIndex > index) SetPlayCategory(PlayIndex - 1);
}

bool TPlay::RenameCategory(int index, const std::string& name) {
  if (!ValidCategory(index) || CategoryAt(index).External) return false;
  MutableCategoryAt(index).Name = name;
  Notify([&](IPlayObserver& o) { o.CategoryRenamed(index); });
  return true;
}

void TPlay::BeginAdd() {
  ++open_adds_;
  FirstAdded.clear();
  FolderMasks = "*.*";
  if (!HasFirstAdded) AbortAdd = false;
}

void TPlay::EndAdd(int category) {
  if (open_adds_ > 0) --open_adds_;
  HasFirstAdded = false;
  LoadTags(category);
  if (CurrentIndex < 0 && category == PlayIndex) SetCurrent(FindEntry(CurrentSong.FileKey, category));
  SaveCategories();
}

void TPlay::StopAdding() {
  AbortAdd = true;
  seams_.verbs->ProcessMessages();
  if (Finder) {
    Finder->Cancel();
    while (Finder && !Finder->Finished()) seams_.verbs->ProcessMessages();
  }
  AbortAdd = false;
}

int TPlay::FindEntry(const std::string& key, int category) const {
  if (category == -1) category = ViewIndex;
  if (!ValidCategory(category)) return -1;
  const auto& index = keys_[Order[category]];
  auto it = index.find(key);
  return it == index.end() ? -1 : it->second;
}

std::string TPlay::DisplayTitle(int entry, int category, bool decorate) const {
  if (category == -1) category = ViewIndex;
  const TPlayList& l = CategoryAt(category);
  std::string title, name;
  if (entry == -1) {
    title = CurrentSong.Tag.Title;
    name = CurrentSong.FileName;
  } else {
    if (entry < 0 || entry >= l.Count) return std::string();
    title = l.Items[entry].Title;
    name = l.Items[entry].FileName;
  }
  if (!title.empty()) return decorate ? "- " + title + " -" : title;
  return ExtractFileName(name);
}

int TPlay::FindTitle(const std::string& text, int after, int category) const {
  if (category == -1) category = ViewIndex;
  const int count = CategoryAt(category).Count;
  if (count == 0) return -1;
  after = std::clamp(after, -1, count - 1);
  const std::string needle = NormalizeText(text);
  for (int k = 1; k <= count; ++k) {
    int i = (after + k) % count;
    if (FindText(NormalizeText(DisplayTitle(i, category, false)), needle) != std::string::npos) return i;
  }
  return -1;
}

int TPlay::PickRandom(bool mark) {
  seams_.random->Reseed();
  std::vector<int> pool;
  const TPlayList& l = CategoryAt(PlayIndex);
  for (int i = 0; i < l.Count; ++i)
    if (l.Items[i].Played == mark && i != CurrentIndex) pool.push_back(i);
  if (pool.empty()) return CurrentIndex;
  uint32_t k = seams_.random->Below(static_cast<uint32_t>(pool.size()));
  return pool[std::min<size_t>(k, pool.size() - 1)];
}

bool TPlay::AllPlayed() const {
  const TPlayList& l = CategoryAt(PlayIndex);
  return std::all_of(l.Items.begin(), l.Items.end(), [](const TInfoRec& e) { return e.Played || e.Failed; });
}

void TPlay::ResetPlayed(int category) {
  if (category == -1) category = PlayIndex;
  if (!ValidCategory(category)) return;
  for (TInfoRec& e : MutableCategoryAt(category).Items) e.Played = e.Failed = false;
}

void TPlay::SetCurrent(int index) {
  CurrentIndex = index;
  const int n = index < 0 ? 0 : index + 1;
  const int blank = 10;
  const int hundreds = n / 100, tens = (n % 100) / 10, units = n % 10;
  seams_.digits->ShowSongNumber(hundreds == 0 ? blank : hundreds, tens == 0 && hundreds == 0 ? blank : tens,
                                n == 0 ? blank : units);
}

void TPlay::SetPlayCategory(int index) {
  if (index != -1 && !ValidCategory(index)) index = 0;
  PlayIndex = index;
  SetCurrent(FindEntry(CurrentSong.FileKey, index == -1 ? -2 : index));
  Notify([&](IPlayObserver& o) { o.PlayCategoryChanged(index); });
  LoadTags(index);
}

void TPlay::SetViewCategory(int index) {
  StopAdding();
  if (!ValidCategory(index)) index = 0;
  ViewIndex = index;
  ViewCount = CategoryAt(index).Count;
  Notify([&](IPlayObserver& o) { o.ViewCategoryChanged(index); });
  LoadTags(index);
}

bool TPlay::IsShown(int category) const {
  if (!ValidCategory(category)) return false;
  for (IPlayObserver* o : observers_)
    if (o->ShowsCategory(*this, category)) return true;
  return false;
}

void TPlay::LoadTags(int category) {
  if (TagsLoading || !IsShown(category)) return;
  TagsLoading = true;
  // The category may change (or go) while messages run: look it up again every time.
  const int id = Order[category];
  for (int i = 0;; ++i) {
    int c = IndexOfId(id);
    if (c < 0 || i >= CategoryAt(c).Count) break;
    LoadEntryTag(i, c);
    if (AbortAdd) break;
    seams_.verbs->ProcessMessages();
  }
  TagsLoading = false;
}

void TPlay::LoadEntryTag(int entry, int category) {
  TInfoRec* e = Entry(category, entry);
  if (!e || e->TagLoaded) return;
  TTagRec t;
  if (!GetTag(e->FileKey, t)) return;
  e->Album = t.Tag.Album;
  e->Artist = t.Tag.Artist;
  e->Title = t.Tag.Title;
  e->LyricsName = t.Tag.LyricsName;
  e->TagLoaded = true;
  Notify([&](IPlayObserver& o) { o.EntryChanged(category, entry); });
}

void TPlay::RefreshCurrent() {
  if (const TInfoRec* e = CurrentIndex < 0 ? nullptr : Entry(PlayIndex, CurrentIndex)) {
    CurrentSong.FileKey = e->FileKey;
    CurrentSong.FileName = e->FileName;
    LoadEntryTag(CurrentIndex, PlayIndex);
  }
  // Queued edits win over the file; a song whose tag cannot be read shows none (never the
  // tag of the song before it).
  TTagRec t;
  CurrentSong.Tag = GetTag(CurrentSong.FileKey, t) ? t.Tag : TID3Rec();
  seams_.current->CurrentSongChanged(CurrentSong);
  seams_.current->CurrentRefreshed();
}

bool TPlay::AskPassword(const std::string& prompt, std::string& text) {
  text.clear();
  return seams_.passwords->AskPassword(prompt, text);
}

bool TPlay::CheckPassword(int category) {
  if (!ValidCategory(category)) return false;
  std::string text;
  if (!AskPassword("请输入密码", text)) return false;
  if (text == CategoryAt(category).Password) return true;
  seams_.passwords->WrongPassword();
  return false;
}

bool TPlay::ChangePassword(int category) {
  if (!ValidCategory(category)) return false;
  if (CategoryAt(category).Locked && !CheckPassword(category)) return false;
  std::string text;
  if (!AskPassword("请输新密码", text)) return false;
  MutableCategoryAt(category).Password = Trim(text);
  Notify([&](IPlayObserver& o) { o.CategoryLockChanged(category); });
  if (CategoryAt(category).Password.empty()) {
    SetLocked(category, false);
    return false;
  }
  return true;
}

void TPlay::SetLocked(int category, bool on) {
  if (!ValidCategory(category)) return;
  if (on && CategoryAt(category).External) return;
  if (on && CategoryAt(category).Password.empty() && !ChangePassword(category)) return;
  MutableCategoryAt(category).Locked = on;
  Notify([&](IPlayObserver& o) { o.CategoryLockChanged(category); });
}

int TPlay::FindPendingTag(const std::string& key) const {
  for (int i = 0; i < PendingCount; ++i)
    if (PendingTags[i].FileKey == key) return i;
  return -1;
}

bool TPlay::GetTag(const std::string& key, TTagRec& rec) {
  int row = FindPendingTag(key);
  if (row >= 0) {
    rec = PendingTags[row];
    return true;
  }
  return ReadTagFile(Fs(), key, rec);
}

void TPlay::StoreTag(const TTagRec& rec) {
  int row = FindPendingTag(rec.FileKey);
  if (row < 0) {
    PendingTags.push_back(rec);
    PendingCount = static_cast<int32_t>(PendingTags.size());
  } else {
    PendingTags[row] = rec;
  }
  if (!rec.FileKey.empty() && rec.FileKey == CurrentSong.FileKey) RefreshCurrent();
  for (int c = 0; c < CategoryCount; ++c) {
    int i = FindEntry(rec.FileKey, c);
    if (i < 0) continue;
    TInfoRec& e = MutableCategoryAt(c).Items[i];
    e.Title = rec.Tag.Title;
    e.Album = rec.Tag.Album;
    e.Artist = rec.Tag.Artist;
    e.LyricsName = rec.Tag.LyricsName;
    Notify([&](IPlayObserver& o) { o.EntryChanged(c, i); });
  }
  FlushTags();
}

void TPlay::FlushTags() {
  for (int i = PendingCount - 1; i >= 0; --i) {
    if (i >= PendingCount) continue;
    if (WriteTagFile(Fs(), PendingTags[i].FileKey, PendingTags[i].Tag) != TagWrite::kWritten) continue;
    PendingTags.erase(PendingTags.begin() + i);
    PendingCount = static_cast<int32_t>(PendingTags.size());
  }
}

}  // namespace sd
