// RAII for the handles the player holds: GDI objects, selections into a DC, paint and
// memory DCs for flicker-free drawing, loaded libraries.
#pragma once
#include <windows.h>

#include <utility>

namespace ui {

template <typename H>
class GdiObj {
 public:
  GdiObj() = default;
  explicit GdiObj(H h) : h_(h) {}
  ~GdiObj() { Reset(); }
  GdiObj(GdiObj&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  GdiObj& operator=(GdiObj&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  GdiObj(const GdiObj&) = delete;
  GdiObj& operator=(const GdiObj&) = delete;
  void Reset(H h = nullptr) {
    if (h_) DeleteObject(h_);
    h_ = h;
  }
  H get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  H h_ = nullptr;
};

class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~ScopedSelect() { SelectObject(dc_, old_); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A memory DC with a compatible bitmap of the given size; BitBlt it to the target when done.
class MemoryDC {
 public:
  MemoryDC(HDC target, int w, int h)
      : dc_(CreateCompatibleDC(target)), bmp_(CreateCompatibleBitmap(target, w, h)), sel_(dc_, bmp_.get()) {}
  ~MemoryDC() = default;
  HDC dc() const { return dc_.dc; }

 private:
  struct OwnedDC {
    explicit OwnedDC(HDC d) : dc(d) {}
    ~OwnedDC() { DeleteDC(dc); }
    HDC dc;
  };
  OwnedDC dc_;
  GdiObj<HBITMAP> bmp_;
  struct Sel {
    Sel(const OwnedDC& d, HBITMAP b) : s(d.dc, b) {}
    ScopedSelect s;
  } sel_;
};

// LoadLibrary / FreeLibrary.
class Module {
 public:
  Module() = default;
  explicit Module(const char* path) : h_(LoadLibraryA(path)) {}
  ~Module() { Reset(); }
  Module(Module&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  Module& operator=(Module&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  void Reset() {
    if (h_) FreeLibrary(h_);
    h_ = nullptr;
  }
  HMODULE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  FARPROC Proc(const char* name) const { return h_ ? GetProcAddress(h_, name) : nullptr; }

 private:
  HMODULE h_ = nullptr;
};

}  // namespace ui
