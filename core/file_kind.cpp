#include "core/file_kind.h"

namespace sd {

int FileKind(std::string_view ext) {
  if (ext == ".eks") return kKindSkin;
  if (ext == ".pis") return kKindPackage;
  if (ext == ".txt" || ext == ".lrc") return kKindLyrics;
  if (ext == ".m3u") return kKindPlayList;
  return kKindMedia;
}

}  // namespace sd
