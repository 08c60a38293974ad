#pragma once
#include <string_view>

namespace sd {

enum FileKindValue { kKindMedia = 0, kKindSkin = 1, kKindPackage = 2, kKindLyrics = 3, kKindPlayList = 4 };

// File kind of an extension with its dot, already lower-cased by the caller (exact match).
int FileKind(std::string_view ext);

}  // namespace sd
