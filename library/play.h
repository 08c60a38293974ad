// The media library: an ordered list of categories, each an ordered list of song entries.
// A category has an index (its place in Order; later indexes fall by one when a category
// is deleted) and an id (the number of the slot that holds it; freed slots are reused by
// the next category created). Inside a category no two entries share a FileKey; a key
// index per category keeps FindEntry constant-time through add, remove, move and delete.
// Runs on the user-interface thread; long operations let pending messages run, so add
// operations are re-entrant and guarded by AbortAdd and TagsLoading.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/fs.h"
#include "library/seams.h"
#include "library/tags.h"

namespace sd {

enum CategoryKind : uint8_t { kKindPlain = 0, kKindArtist = 1, kKindAlbum = 2 };

struct TInfoRec {
  std::string Title;
  std::string Album;
  std::string Artist;
  std::string LyricsName;
  std::string FileName;  // the path as added (trimmed)
  std::string FileKey;   // lower-case short path, or lower-case FileName when it has none
  bool Played = false;
  bool Failed = false;
  bool TagLoaded = false;
};

struct TPlayList {
  std::vector<TInfoRec> Items;
  std::string Name;
  int32_t Count = 0;
  int32_t Index = 0;
  int32_t Parent = -1;
  int32_t SiblingOrder = 0;
  uint8_t Kind = kKindPlain;
  bool Free = false;
  bool Locked = false;
  bool ReadOnly = false;
  bool External = false;
  bool Editable = true;
  std::string Password;
};

class TPlay;

// Every window that shows categories or their entries listens here. Indexes are those
// after the change (for a deletion: the index the category or entry had).
class IPlayObserver {
 public:
  virtual ~IPlayObserver() = default;
  // The window shows this category's entries (used by IsShown).
  virtual bool ShowsCategory(const TPlay& play, int category) { return false; }
  virtual void EntryAdded(int category, int entry) {}
  // entry -1: every entry went.
  virtual void EntryRemoved(int category, int entry) {}
  virtual void EntryMoved(int category, int from, int to) {}
  // Tag fields of the entry changed.
  virtual void EntryChanged(int category, int entry) {}
  virtual void CategoryAdded(int index) {}
  virtual void CategoryDeleted(int index) {}
  virtual void CategoryRenamed(int index) {}
  // Locked or password changed: buttons are evaluated again.
  virtual void CategoryLockChanged(int index) {}
  virtual void PlayCategoryChanged(int index) {}
  virtual void ViewCategoryChanged(int index) {}
  // The play count of the entry with this key changed.
  virtual void PlayCountChanged(const std::string& key, int32_t count) {}
};

// The legacy library list as read from the registry by the caller.
struct TLegacyCategory {
  std::string Name;                            // the sub-key's default value
  int32_t Parent = -1;
  int32_t Style = 0;
  std::string Password;
  std::vector<std::string> Files;              // every other value, in enumeration order
};
struct TLegacyList {
  bool Present = false;                        // the sub-key "文件列表" exists
  int32_t PlayIndex = 0;
  std::string StandardPassword;
  std::vector<std::string> StandardFiles;
  std::vector<TLegacyCategory> Custom;
};

// M3U export's dialogs.
class IM3UExportUI {
 public:
  virtual ~IM3UExportUI() = default;
  // The save dialog ("播放列表(*.M3U)|*.m3u", asks before overwriting), opened in the last
  // used folder, which then becomes the chosen file's folder; true with the path on OK.
  virtual bool ChooseFile(std::string& path) = 0;
  // "无法保存文件！"
  virtual void SaveFailed() = 0;
};

struct TPlaySeams {
  IFileSystem* fs = nullptr;                   // required
  IVerbSink* verbs = nullptr;
  ISongNumberDisplay* digits = nullptr;
  IPasswordPrompt* passwords = nullptr;
  ICurrentSongSink* current = nullptr;
  IRandomSource* random = nullptr;             // none: a clock-seeded generator
  IFolderSearch* search = nullptr;             // none: a walk on fs in this thread
  ISettings* settings = nullptr;               // none: defaults, nothing written
  std::string library_file;                    // "default.ini" beside the program
  std::string count_file;                      // "count.dat"
};

class TPlay {
 public:
  explicit TPlay(const TPlaySeams& seams);
  ~TPlay();
  TPlay(const TPlay&) = delete;
  TPlay& operator=(const TPlay&) = delete;

  int32_t CurrentIndex = -1;
  int32_t ViewIndex = 0;
  int32_t SlotCount = 0;
  std::vector<int32_t> Order;
  std::vector<TPlayList> Slots;
  int32_t PlayIndex = 0;
  bool TagsLoading = false;
  int32_t ViewCount = 0;
  int32_t CategoryCount = 0;
  int32_t PendingCount = 0;
  int32_t LastId = 0;
  std::string FirstAdded;
  bool AbortAdd = false;
  bool HasFirstAdded = false;
  IFolderSearch* Finder = nullptr;
  std::vector<TTagRec> PendingTags;
  std::string FolderMasks = "*.*";
  // The current song as the play status record holds it.
  TTagRec CurrentSong;

  void AddObserver(IPlayObserver* o);
  void RemoveObserver(IPlayObserver* o);

  // Entries.
  bool AddFile(const std::string& path, int category);
  void RemoveEntries(int category, int entry);
  void MoveEntry(int category, int from, int to);
  // An entry for its marks and fields; its FileKey and position are the model's.
  TInfoRec* Entry(int category, int entry);

  // Categories.
  int AddCategory(const std::string& name, int parent, int kind);
  void DeleteCategory(int index);
  bool RenameCategory(int index, const std::string& name);
  bool ValidCategory(int index) const;
  const TPlayList& CategoryAt(int index) const;
  TPlayList& MutableCategoryAt(int index);
  int IndexOfId(int id) const;

  // Add operations.
  void BeginAdd();
  void EndAdd(int category);
  void StopAdding();
  bool AddOperationOpen() const { return open_adds_ > 0 || loading_; }
  bool LoadIncomplete() const { return load_incomplete_; }

  int FindEntry(const std::string& key, int category) const;
  int FindTitle(const std::string& text, int after, int category) const;
  std::string DisplayTitle(int entry, int category, bool decorate) const;
  int PickRandom(bool mark);
  bool AllPlayed() const;
  void ResetPlayed(int category);
  void SetCurrent(int index);
  void SetPlayCategory(int index);
  void SetViewCategory(int index);
  bool IsShown(int category) const;
  void LoadTags(int category);
  void LoadEntryTag(int entry, int category);
  void RefreshCurrent();

  // Passwords.
  bool AskPassword(const std::string& prompt, std::string& text);
  bool CheckPassword(int category);
  bool ChangePassword(int category);
  void SetLocked(int category, bool on);

  // Tags.
  int FindPendingTag(const std::string& key) const;
  bool GetTag(const std::string& key, TTagRec& rec);
  void StoreTag(const TTagRec& rec);
  void FlushTags();

  // Storage.
  // Writes the library file and "选择类别". While an add operation or a load is open the
  // save is deferred to its end (false).
  bool SaveCategories();
  void LoadCategories(const TLegacyList* legacy = nullptr);
  void ImportLegacyList(const TLegacyList& legacy);
  void ImportM3U(const std::string& path);
  bool WriteM3U(int category, const std::string& path);
  void ExportM3U(int category, IM3UExportUI& ui);
  void CountPlay(const std::string& key);
  int32_t PlayCount(const std::string& key);
  // The library file's text as SaveCategories writes it; read_back (if given) receives the
  // index each category gets when the file is read back (-1: not stored).
  std::string LibraryText(std::vector<int>* read_back = nullptr) const;
  std::string LibraryText(std::string&& buffer, std::vector<int>* read_back) const;

  IFileSystem& Fs() const { return *seams_.fs; }

 private:
  // A window may close (and leave) while it is told something.
  template <class F>
  void Notify(F f) {
    std::vector<IPlayObserver*> copy = observers_;
    for (IPlayObserver* o : copy)
      for (IPlayObserver* still : observers_)
        if (still == o) {
          f(*o);
          break;
        }
  }
  void ReindexFrom(TPlayList& list, std::unordered_map<std::string, int>& index, int from, int to);
  void Search(const std::string& folder);
  // Room for n more entries (a load knows how many come).
  void ReserveEntries(int category, size_t n);
  void LoadCounts();
  bool SaveCounts();
  void LoadLibraryText(const std::string& text);
  // AddFile for the load: an entry refused because adding was aborted marks the load incomplete.
  void LoadEntry(const std::string& path, int category);
  std::vector<std::string> lists_open_;  // M3U lists being read (a list naming itself or
                                         // another open list is not read again)

  TPlaySeams seams_;
  IVerbSink default_verbs_;
  ISongNumberDisplay default_digits_;
  IPasswordPrompt default_passwords_;
  ICurrentSongSink default_current_;
  std::unique_ptr<IRandomSource> own_random_;
  std::unique_ptr<IFolderSearch> own_search_;
  std::vector<IPlayObserver*> observers_;
  // Per slot: FileKey -> entry index.
  std::vector<std::unordered_map<std::string, int>> keys_;
  int open_adds_ = 0;
  bool loading_ = false;
  bool save_deferred_ = false;
  // The library file could not be read whole at start-up (unreadable, or adds were refused
  // during the load): saving would replace it by a part of it, so it is left alone.
  bool load_incomplete_ = false;
  std::string save_buffer_;  // memory of the last save, reused by the next one
  bool counts_loaded_ = false;
  std::unordered_map<std::string, int32_t> counts_;
  std::vector<std::string> count_order_;
};

// One add operation: BeginAdd now, EndAdd (category) when it goes out of scope, so an
// early return cannot leave the operation open (which would hold back every save).
class TAddOperation {
 public:
  TAddOperation(TPlay& play, int category) : play_(play), category_(category) { play_.BeginAdd(); }
  ~TAddOperation() { play_.EndAdd(category_); }
  TAddOperation(const TAddOperation&) = delete;
  TAddOperation& operator=(const TAddOperation&) = delete;
  void SetCategory(int category) { category_ = category; }

 private:
  TPlay& play_;
  int category_;
};

}  // namespace sd
