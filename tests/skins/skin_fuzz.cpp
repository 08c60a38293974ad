// The skin reader under arbitrary bytes: it must neither crash nor allocate without bound, and
// every picture it records must lie inside the file.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/colorfont.h"
#include "skins/bitmapcheck.h"
#include "skins/skinfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  sd::MemorySkinInput in(bytes);
  sd::SkinDesc d;
  if (!sd::ParseSkin(in, d)) std::abort();  // memory never fails to read
  auto inside = [&](const sd::PictureRef& p) {
    if (p.offset < 0 || p.length < 0 || p.offset + p.length > static_cast<int64_t>(size)) std::abort();
  };
  for (const auto& c : d.controls) {
    for (const auto& p : c.pictures) {
      inside(p);
      sd::BitmapInfo bi;
      sd::CheckBitmap(bytes.substr(static_cast<size_t>(p.offset), static_cast<size_t>(p.length)), bi);
    }
    for (const auto& f : c.fonts) {
      sd::FontDesc font;
      sd::TextToFont(f.text, font);
    }
  }
  for (const auto& w : d.windows) {
    if (w.hasBackground) inside(w.background);
    if (!w.shape.empty() && !sd::IsRegionData(w.shape)) std::abort();
  }
  if (d.hasLyricsBackground) inside(d.lyricsBackground);
  for (int k = 0; k < 30; ++k) sd::BindingProperty(d, sd::FindBinding(d, static_cast<uint8_t>(k), 0), "宽度");
  sd::TSkinInfo info;
  info.path = "x.eks";
  sd::ReadSkinInfo(in, info);
  return 0;
}
