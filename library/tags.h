// ID3v1 tags at the end of audio files and the player's LYRICS block in front of them:
//   -164  6  "LYRICS"         -128  3  "TAG"       -65 30 album    -31 30 comment
//   -158 30  lyrics file name -125 30  title       -35  4 year      -1  1 genre
//                              -95 30  artist
// Text is GBK bytes, padded with bytes 0, cut at the field width.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "library/fs.h"

namespace sd {

constexpr int kGenreCount = 82;
constexpr int kGenreUnknown = 81;
// Genre names by number, "No Genre" at 0 to "Unknown" at 81.
extern const char* const kGenreNames[kGenreCount];

struct TID3Rec {
  std::string Title;
  std::string Album;
  std::string Artist;
  std::string Year;
  std::string Comment;
  std::string LyricsName;
  int32_t Genre = kGenreUnknown;
};

struct TTagRec {
  TID3Rec Tag;
  std::string FileKey;
  std::string FileName;
};

// The key of a path: its short form lower-cased, or the lower-cased path when the system
// has no short form (the file does not exist).
std::string MakeFileKey(IFileSystem& fs, const std::string& path);

// Reads the tag of the file at path into rec (FileKey set, FileName left alone). False when
// the file is missing or cannot be opened; a file without a tag reads as an empty tag.
bool ReadTagFile(IFileSystem& fs, const std::string& path, TTagRec& rec);

enum class TagWrite { kWritten, kCannotOpen, kFailed };
// Writes tag (with its LYRICS block) into the file at path. A LYRICS block is only taken
// as one when an ID3v1 tag follows it; the audio in front of the blocks is never written,
// and a write that fails part way restores the file's old length.
TagWrite WriteTagFile(IFileSystem& fs, const std::string& path, const TID3Rec& tag);

}  // namespace sd
