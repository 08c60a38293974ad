// mkskin: builds a skin file (".eks") from a source folder.
//   mkskin <source folder> <output file>
// The folder holds
//   skin.txt      the text part, GBK bytes;
//   <tag>.bmp     one picture block per bitmap file, the file's name being the block's tag
//                 ("VIEW", "P000", "EQ01", "0012", ...); "VIEW" is written first;
//   M<nnn>.bmp    a mask picture: its bright pixels are the inside of window nnn's outline,
//                 written as a region block of rectangles;
//   M<nnn>.rgn    or the outline as text: one rectangle per line, "left top right bottom".
// The result is read back and checked: every block must reach a window or binding, the
// outlines must be valid region data, and the description must match the text part's.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "skins/bitmapcheck.h"
#include "skins/skinfile.h"
#include "skins/skinwriter.h"

namespace fs = std::filesystem;
using namespace sd;

namespace {

bool ReadFile(const fs::path& p, std::string& out) {
  std::ifstream f(p, std::ios::binary);
  if (!f) return false;
  std::stringstream ss;
  ss << f.rdbuf();
  out = ss.str();
  return true;
}

int Fail(const std::string& msg) {
  std::cerr << "mkskin: " << msg << "\n";
  return 1;
}

bool MaskRegion(const std::string& bmp, std::string& region, std::string& error) {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  if (!ReadBmpPixels(bmp, w, h, px)) {
    error = "not an uncompressed 24- or 32-bit bitmap";
    return false;
  }
  auto inside = [&](int x, int y) {
    uint32_t p = px[static_cast<size_t>(y) * w + x];
    return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) >= 384;
  };
  std::vector<RegionRect> rects = MaskToRects(w, h, inside);
  if (rects.empty()) {
    error = "the mask has no inside";
    return false;
  }
  region = MakeRegionData(rects);
  return true;
}

bool TextRegion(const std::string& text, std::string& region, std::string& error) {
  std::vector<RegionRect> rects;
  std::istringstream in(text);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream ls(line);
    RegionRect r;
    if (!(ls >> r.left)) continue;
    if (!(ls >> r.top >> r.right >> r.bottom) || r.right <= r.left || r.bottom <= r.top) {
      error = "bad rectangle on line " + std::to_string(n);
      return false;
    }
    rects.push_back(r);
  }
  if (rects.empty()) {
    error = "no rectangles";
    return false;
  }
  region = MakeRegionData(rects);
  return true;
}

bool IsHex3(const std::string& s, size_t at) {
  for (size_t i = at; i < at + 3; ++i)
    if (!((s[i] >= '0' && s[i] <= '9') || (s[i] >= 'A' && s[i] <= 'F'))) return false;
  return true;
}

// Why a block would be skipped by the reader, or empty when it reaches something.
std::string Unreached(const SkinBlockData& b, const SkinDesc& d) {
  const std::string& t = b.tag;
  auto has = [&](uint8_t kind) { return FindBinding(d, kind, 0) >= 0; };
  if (t == "VIEW") return "";
  if (t == "EQWP") return has(kKindSpectrum) ? "" : "no spectrum window";
  if (t == "LYWP") {
    for (const auto& w : d.windows)
      if (w.type == kWindowLyrics) return "";
    return "no lyrics window";
  }
  if (t == "EQ00" || t == "EQ01" || t == "EQ02") return has(kKindEqualiser) ? "" : "no equaliser window";
  if (t.size() == 4 && (t[0] == 'P' || t[0] == 'M') && IsHex3(t, 1))
    return std::stoi(t.substr(1), nullptr, 16) < static_cast<int>(d.windows.size()) ? "" : "no such window";
  if (t.size() == 4 && IsHex3(t, 0))
    return BindingByTagNumber(d, std::stoi(t.substr(0, 3), nullptr, 16)) >= 0 ? "" : "no such binding";
  return "unknown tag";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: mkskin <source folder> <output file>");
  fs::path src = argv[1], out = argv[2];
  std::string text;
  if (!ReadFile(src / "skin.txt", text)) return Fail("cannot read " + (src / "skin.txt").string());

  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(src))
    if (e.is_regular_file() && (e.path().extension() == ".bmp" || e.path().extension() == ".rgn"))
      files.push_back(e.path());
  std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
    bool av = a.stem() == "VIEW", bv = b.stem() == "VIEW";
    if (av != bv) return av;
    return a.filename() < b.filename();
  });

  std::vector<SkinBlockData> blocks;
  for (const auto& f : files) {
    SkinBlockData b;
    b.tag = f.stem().string();
    std::string data, error;
    if (!ReadFile(f, data)) return Fail("cannot read " + f.string());
    bool outline = b.tag.size() == 4 && b.tag[0] == 'M' && IsHex3(b.tag, 1);
    if (outline) {
      bool ok = f.extension() == ".rgn" ? TextRegion(data, b.data, error) : MaskRegion(data, b.data, error);
      if (!ok) return Fail(f.string() + ": " + error);
    } else if (f.extension() == ".bmp") {
      BitmapInfo info;
      if (!CheckBitmap(data, info)) return Fail(f.string() + ": not a whole bitmap file");
      b.data = std::move(data);
    } else {
      return Fail(f.string() + ": only outlines are written from text");
    }
    blocks.push_back(std::move(b));
  }

  std::string file, error;
  if (!BuildSkinFile(text, blocks, file, error)) return Fail(error);

  // Read it back as the player will.
  SkinDesc fromFile, fromText;
  MemorySkinInput fileIn(file), textIn(text);
  if (!ParseSkin(fileIn, fromFile) || !ParseSkin(textIn, fromText) || !fromFile.terminatorFound)
    return Fail("the built skin does not read back");
  if (fromText.terminatorFound) return Fail("skin.txt holds a terminator");
  for (const auto& b : blocks) {
    std::string why = Unreached(b, fromFile);
    if (!why.empty()) return Fail("block " + b.tag + ": " + why);
    if (b.tag[0] == 'M' && b.tag.size() == 4 && IsHex3(b.tag, 1) &&
        fromFile.windows[std::stoi(b.tag.substr(1), nullptr, 16)].shape != b.data)
      return Fail("block " + b.tag + ": the outline does not read back");
  }
  if (fromFile.bindings != fromText.bindings || fromFile.windows.size() != fromText.windows.size())
    return Fail("the blocks changed the bindings");

  fs::create_directories(out.parent_path().empty() ? fs::path(".") : out.parent_path());
  fs::path tmp = out;
  tmp += ".tmp";
  {
    std::ofstream o(tmp, std::ios::binary | std::ios::trunc);
    o.write(file.data(), static_cast<std::streamsize>(file.size()));
    if (!o) return Fail("cannot write " + tmp.string());
  }
  fs::rename(tmp, out);
  std::cout << "mkskin: " << out.string() << ": " << fromFile.windows.size() << " windows, "
            << fromFile.bindings.size() << " bindings, " << blocks.size() << " blocks, " << file.size()
            << " bytes\n";
  return 0;
}
