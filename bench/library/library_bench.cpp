// Library save, load and folder-add timings on the real file system.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/library/posix_fs.h"
#include "library/play.h"

using namespace sd;

// <chrono> does not build with a GBK execution character set: a monotonic clock by hand.
struct Clock {
  using time_point = double;
  static double now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
  }
};

namespace {
double Ms(double a, double b) { return b - a; }

struct Figures {
  double save, load, one_call, text;
  size_t bytes;
};

Figures Run(const std::string& dir, int entries, bench::PosixFileSystem& fs) {
  const std::string lib = dir + "\\default.ini";
  TPlaySeams seams;
  seams.fs = &fs;
  seams.library_file = lib;
  Figures f{};
  {
    TPlay p(seams);
    const int per = entries / 20;
    for (int c = 0; c < 20; ++c) {
      int i = p.AddCategory("类别 " + std::to_string(c), c >= 10 ? 2 + c - 10 : -1, c % 3);
      for (int e = 0; e < per; ++e)
        p.AddFile("d:\\音乐\\category " + std::to_string(c) + "\\song number " + std::to_string(e) + " title.mp3", i);
    }
    std::string text = p.LibraryText();
    f.bytes = text.size();
    // Best of several runs each: the machine is shared.
    f.save = f.one_call = f.text = 1e18;
    for (int run = 0; run < 3; ++run) {
      auto tt = Clock::now();
      std::string again = p.LibraryText();
      f.text = std::min(f.text, Ms(tt, Clock::now()));
      auto t0 = Clock::now();
      if (!p.SaveCategories()) std::fprintf(stderr, "save failed\n");
      f.save = std::min(f.save, Ms(t0, Clock::now()));
      // The same bytes written with one call (and flushed, as the save is).
      auto t2 = Clock::now();
      {
        auto file = fs.Create(dir + "\\one-call.ini");
        file->WriteAt(0, text.data(), text.size());
        file->Flush();
      }
      f.one_call = std::min(f.one_call, Ms(t2, Clock::now()));
    }
  }
  f.load = 1e18;
  for (int run = 0; run < 5; ++run) {
    TPlay q(seams);
    auto t3 = Clock::now();
    q.LoadCategories();
    f.load = std::min(f.load, Ms(t3, Clock::now()));
    int total = 0;
    for (int c = 0; c < q.CategoryCount; ++c) total += q.CategoryAt(c).Count;
    if (total != entries) std::fprintf(stderr, "load read %d of %d entries\n", total, entries);
  }
  return f;
}
}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "/tmp/songdeck-library-bench";
  bench::PosixFileSystem fs;
  Figures small = Run(dir, 10000, fs), big = Run(dir, 100000, fs);
  for (const Figures* f : {&small, &big})
    std::printf("save %4s: %8.1f ms  (%zu bytes; text %.1f ms; one-call write %.1f ms; ratio %.2f)\n",
                f == &small ? "10k" : "100k", f->save, f->bytes, f->text, f->one_call, f->save / f->one_call);
  std::printf("load   10k: %8.1f ms (includes the save that ends a load)\nload  100k: %8.1f ms\n", small.load, big.load);
  std::printf("ratio 100k/10k: save %.2f, load %.2f (target <= 12)\n", big.save / small.save, big.load / small.load);

  // A folder tree of 10,000 files: 100 folders of 100 files.
  const std::string tree = dir + "/tree";
  for (int d = 0; d < 100; ++d) {
    std::string folder = tree + "/folder " + std::to_string(d);
    std::string cmd;
    mkdir(tree.c_str(), 0755);
    mkdir(folder.c_str(), 0755);
    for (int i = 0; i < 100; ++i) {
      std::string path = folder + "/track " + std::to_string(i) + ".mp3";
      int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
      if (fd >= 0) close(fd);
    }
  }
  TPlaySeams seams;
  seams.fs = &fs;
  TPlay p(seams);
  p.BeginAdd();
  p.FolderMasks = "*.mp3";
  auto t0 = Clock::now();
  p.AddFile(tree, -1);
  double add = Ms(t0, Clock::now());
  std::printf("add folder tree of %d files: %.1f ms\n", p.CategoryAt(0).Count, add);
  return 0;
}
