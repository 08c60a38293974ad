// Untrusted inputs of the library: library files, M3U lists, tags at the end of songs and
// mask lists. The first byte picks the input; none may crash, hang or grow without bound.
#include <cstddef>
#include <cstdint>
#include <string>

#include "library/masks.h"
#include "library/memfs.h"
#include "library/play.h"

using namespace sd;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 << 16) return 0;
  const std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);
  MemFileSystem fs;
  fs.PutFolder("c:\\app\\");
  fs.PutFile("c:\\a.mp3", "");
  TPlaySeams seams;
  seams.fs = &fs;
  seams.library_file = "c:\\app\\default.ini";
  seams.count_file = "c:\\app\\count.dat";
  switch (data[0] % 4) {
    case 0: {
      fs.PutFile(seams.library_file, body);
      fs.PutFile(seams.count_file, body);
      TPlay p(seams);
      p.LoadCategories();
      p.PlayCount("c:\\a.mp3");
      // What was saved reads back to the same library.
      std::string saved = fs.Data(seams.library_file);
      TPlay q(seams);
      q.LoadCategories();
      if (q.CategoryCount != p.CategoryCount) __builtin_trap();
      for (int c = 0; c < p.CategoryCount; ++c)
        if (q.CategoryAt(c).Count != p.CategoryAt(c).Count || q.CategoryAt(c).Parent != p.CategoryAt(c).Parent)
          __builtin_trap();
      break;
    }
    case 1: {
      fs.PutFile("c:\\list.m3u", body);
      fs.PutFile("c:\\other.m3u", "c:\\list.m3u\r\n" + body);
      TPlay p(seams);
      p.AddFile("c:\\list.m3u", -1);
      break;
    }
    case 2: {
      fs.PutFile("c:\\song.mp3", body);
      TTagRec t;
      ReadTagFile(fs, "c:\\song.mp3", t);
      if (WriteTagFile(fs, "c:\\song.mp3", t.Tag) != TagWrite::kWritten) __builtin_trap();
      std::string after = fs.Data("c:\\song.mp3");
      // The audio in front of the old blocks is never touched, and the file grows by at most 164.
      if (after.size() < body.size() || after.size() > body.size() + 164) __builtin_trap();
      size_t audio = after.size() - 164;
      if (after.compare(0, std::min(audio, body.size()), body, 0, std::min(audio, body.size())) != 0) __builtin_trap();
      break;
    }
    default: {
      size_t cut = body.find('\0');
      std::string masks = body.substr(0, cut), name = cut == std::string::npos ? "" : body.substr(cut + 1);
      MatchesAny(SplitMasks(masks), name);
      break;
    }
  }
  return 0;
}
