// Shared file helpers of the player.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace sd {

// The short (8.3) form of a path when the system reports one, else the path unchanged.
std::string ShortPath(const std::string& path);
// Equality of two names' short forms (trimmed, ASCII case folded).
bool SameMediaFile(const std::string& a, const std::string& b);
// Files matching mask (folder part + pattern), hidden and system files included, in the
// order the file system returns them; with recursive, then each sub-folder's (names
// beginning with "." skipped), depth first in the same order.
void ListFiles(const std::string& mask, std::vector<std::string>& list, bool recursive);
bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);
// n bytes (n <= 256) at the file's position; the text up to the first zero byte.
std::string ReadFixedField(HANDLE file, int n);
// n bytes (n <= 256) at the file's position: the text's first bytes, padded with zeros.
bool WriteFixedField(HANDLE file, const std::string& text, int n);

}  // namespace sd
