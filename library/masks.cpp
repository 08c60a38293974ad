#include "library/masks.h"

#include <unordered_set>

#include "core/text.h"

namespace sd {

namespace {
// A text split into characters (one byte, or a GBK lead and trail byte).
std::vector<std::string_view> Chars(std::string_view s) {
  std::vector<std::string_view> out;
  for (size_t i = 0; i < s.size();) {
    size_t n = CharLen(s, i);
    out.push_back(s.substr(i, n));
    i += n;
  }
  return out;
}

// Matches one character against the set starting after "[" at mask[mi]; sets end to the
// index after "]". False with end = 0 when the set has no "]".
bool InSet(const std::vector<std::string_view>& m, size_t mi, std::string_view c, size_t& end, bool& hit) {
  size_t i = mi;
  bool negate = false;
  if (i < m.size() && m[i] == "!") { negate = true; ++i; }
  bool any = false;
  size_t first = i;
  for (; i < m.size(); ++i) {
    if (m[i] == "]" && i > first) break;
    if (i + 2 < m.size() && m[i + 1] == "-" && m[i + 2] != "]") {
      if (c.size() == m[i].size() && c.size() == m[i + 2].size() && c >= m[i] && c <= m[i + 2]) any = true;
      i += 2;
      continue;
    }
    if (m[i] == c) any = true;
  }
  if (i >= m.size()) { end = 0; return false; }
  end = i + 1;
  hit = any != negate;
  return true;
}
}  // namespace

std::vector<std::string> SplitMasks(std::string_view list) {
  std::vector<std::string> out;
  SplitNames(list, out);
  return out;
}

bool MatchMask(std::string_view mask_text, std::string_view name_text) {
  if (mask_text == "*.*") return true;
  const std::string lm = LowerAscii(mask_text), ln = LowerAscii(name_text);
  const auto m = Chars(lm), n = Chars(ln);
  size_t mi = 0, ni = 0;
  size_t star_m = std::string::npos, star_n = 0;
  while (ni < n.size()) {
    bool step = false;
    size_t next_m = mi + 1;
    if (mi < m.size()) {
      if (m[mi] == "*") {
        star_m = ++mi;
        star_n = ni;
        continue;
      }
      if (m[mi] == "?") {
        step = true;
      } else if (m[mi] == "[") {
        size_t end = 0;
        bool hit = false;
        if (InSet(m, mi + 1, n[ni], end, hit)) {
          step = hit;
          next_m = end;
        } else {
          step = n[ni] == "[";
        }
      } else {
        step = m[mi] == n[ni];
      }
    }
    if (step) {
      mi = next_m;
      ++ni;
    } else if (star_m != std::string::npos) {
      mi = star_m;
      ni = ++star_n;
    } else {
      return false;
    }
  }
  while (mi < m.size() && m[mi] == "*") ++mi;
  return mi == m.size();
}

bool MatchesAny(const std::vector<std::string>& masks, std::string_view name) {
  for (const auto& m : masks)
    if (MatchMask(m, name)) return true;
  return false;
}

void WalkFolders(IFileSystem& fs, const std::string& root, const std::vector<std::string>& masks,
                 bool recursive, const std::atomic<bool>& abort,
                 const std::function<void(const std::string& folder, const std::string& name)>& found) {
  std::vector<std::string> folders{WithBackslash(root)};
  std::vector<FolderItem> items;
  auto identity = [](std::string path) {
    path = LowerAscii(path);
    while (path.size() > 3 && EndsWithChar(path, '\\')) path.pop_back();
    return path;
  };
  std::unordered_set<std::string> walked{identity(folders[0])};
  for (size_t processed = 0; processed < folders.size() && !abort;) {
    size_t end = folders.size();
    for (size_t f = processed; f < end && !abort; ++f) {
      const std::string folder = folders[f];
      if (!fs.ListFolder(folder, items)) continue;
      for (const FolderItem& it : items) {
        if (abort) break;
        if (it.folder) {
          if (!recursive || it.name == "." || it.name == "..") continue;
          std::string sub = folder + it.name + "\\";
          if (it.link) {
            std::string target = fs.LinkTarget(sub);
            if (!target.empty() && !walked.insert(identity(target)).second) continue;
          }
          walked.insert(identity(sub));
          folders.push_back(sub);
        } else if (MatchesAny(masks, it.name)) {
          found(folder, it.name);
        }
      }
    }
    processed = end;
  }
}

void InlineFolderSearch::Find(const std::string& folder, const std::string& masks, const FoundFn& found,
                              bool recursive) {
  abort_ = false;
  running_ = true;
  WalkFolders(fs_, folder, SplitMasks(masks), recursive, abort_,
              [&](const std::string& f, const std::string& n) {
                if (found) found(f, n);
              });
  running_ = false;
}

}  // namespace sd
