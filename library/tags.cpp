#include "library/tags.h"

#include <algorithm>
#include <cstring>

#include "core/text.h"

namespace sd {

const char* const kGenreNames[kGenreCount] = {
    "No Genre", "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge",
    "Hip-Hop", "Jazz", "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae",
    "Rock", "Techno", "Industrial", "Alternative", "Ska", "Death Metal", "Pranks",
    "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal", "Jazz Funk", "Fusion",
    "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel",
    "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop",
    "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial", "Electronic",
    "Pop -Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta",
    "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret",
    "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
    "Unknown"};

namespace {
constexpr int64_t kTagSize = 128;
constexpr int64_t kBlocksSize = 164;

std::string UpToZero(const char* p, size_t n) {
  size_t len = 0;
  while (len < n && p[len]) ++len;
  return std::string(p, len);
}

void PutField(char* p, size_t n, const std::string& s) {
  std::memset(p, 0, n);
  std::memcpy(p, s.data(), std::min(n, s.size()));
}

bool IsMark(const char* p, size_t n, std::string_view mark) {
  return NormalizeText(std::string_view(p, n)) == mark;
}

// What the end of a file holds.
struct TailInfo {
  bool tag = false;     // "TAG" at -128
  bool lyrics = false;  // "LYRICS" at -164 directly in front of a tag
};

bool ReadTail(IFile& f, int64_t size, TailInfo& info, char* block) {
  // block receives the last min(size,164) bytes aligned to its end.
  std::memset(block, 0, kBlocksSize);
  int64_t have = std::min(size, kBlocksSize);
  if (have > 0 && !f.ReadAt(size - have, block + (kBlocksSize - have), static_cast<size_t>(have)))
    return false;
  info.tag = size >= kTagSize && IsMark(block + 36, 3, "tag");
  info.lyrics = info.tag && size >= kBlocksSize && IsMark(block, 6, "lyrics");
  return true;
}
}  // namespace

std::string MakeFileKey(IFileSystem& fs, const std::string& path) {
  std::string s = fs.ShortPath(path);
  return LowerAscii(s.empty() ? path : s);
}

bool ReadTagFile(IFileSystem& fs, const std::string& path, TTagRec& rec) {
  if (!fs.FileExists(path)) return false;
  auto f = fs.Open(path, false);
  if (!f) return false;
  rec.Tag = TID3Rec();
  int64_t size = f->Size();
  char block[kBlocksSize];
  TailInfo info;
  if (size >= 0 && ReadTail(*f, size, info, block)) {
    if (info.lyrics) rec.Tag.LyricsName = UpToZero(block + 6, 30);
    if (info.tag) {
      const char* t = block + 36 + 3;
      rec.Tag.Title = Trim(UpToZero(t, 30));
      rec.Tag.Artist = Trim(UpToZero(t + 30, 30));
      rec.Tag.Album = Trim(UpToZero(t + 60, 30));
      rec.Tag.Year = Trim(UpToZero(t + 90, 4));
      rec.Tag.Comment = Trim(UpToZero(t + 94, 30));
      rec.Tag.Genre = std::min<int>(static_cast<unsigned char>(t[124]), kGenreUnknown);
    }
  }
  rec.FileKey = MakeFileKey(fs, path);
  return true;
}

TagWrite WriteTagFile(IFileSystem& fs, const std::string& path, const TID3Rec& tag) {
  if (!fs.FileExists(path)) return TagWrite::kCannotOpen;
  auto f = fs.Open(path, true);
  if (!f) return TagWrite::kCannotOpen;
  int64_t size = f->Size();
  if (size < 0) return TagWrite::kFailed;
  char old[kBlocksSize];
  TailInfo info;
  if (!ReadTail(*f, size, info, old)) return TagWrite::kFailed;

  char block[kBlocksSize];
  std::memcpy(block, "LYRICS", 6);
  PutField(block + 6, 30, tag.LyricsName);
  char* t = block + 36;
  std::memcpy(t, "TAG", 3);
  PutField(t + 3, 30, tag.Title);
  PutField(t + 33, 30, tag.Artist);
  PutField(t + 63, 30, tag.Album);
  PutField(t + 93, 4, tag.Year);
  PutField(t + 97, 30, tag.Comment);
  t[127] = static_cast<char>(std::clamp<int32_t>(tag.Genre, 0, 255));

  // The blocks replace what the file already has of them, and nothing in front of it.
  int64_t at = info.lyrics ? size - kBlocksSize : info.tag ? size - kTagSize : size;
  if (f->WriteAt(at, block, sizeof block) && f->Flush()) return TagWrite::kWritten;
  if (info.lyrics || info.tag) {
    // The old blocks were partly overwritten: put them back as they were.
    int64_t keep = info.lyrics ? kBlocksSize : kTagSize;
    f->WriteAt(size - keep, old + (kBlocksSize - keep), static_cast<size_t>(keep));
  }
  f->Truncate(size);
  return TagWrite::kFailed;
}

}  // namespace sd
