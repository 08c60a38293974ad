// Host-owned texts whose addresses fit in 32 bits. The play status record hands engines
// 32-bit addresses of NUL-terminated copies; in a 64-bit build an ordinary heap address does
// not fit, so those copies come from one region reserved below 4 GiB at first use.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sd {

class LowArena {
 public:
  static LowArena& Instance();
  // Largest text a block holds (longer texts are cut; tags and paths are far shorter).
  static constexpr size_t kMaxText = 65535;
  // A block of at least size bytes; its capacity is returned in cap. 0 when out of room.
  uint32_t Alloc(size_t size, size_t& cap);
  void Free(uint32_t addr, size_t cap);
  // The address of a permanent empty text.
  uint32_t Empty() const { return empty_; }
  bool Valid() const { return base_ != nullptr; }
  static char* Pointer(uint32_t addr) { return reinterpret_cast<char*>(static_cast<uintptr_t>(addr)); }

 private:
  LowArena();
  static constexpr int kClasses = 12;  // 32 .. 64 KiB
  char* base_ = nullptr;
  size_t size_ = 0, used_ = 0;
  uint32_t free_[kClasses] = {};
  uint32_t empty_ = 0;
};

// One text held for the record: Set copies it, Address is what the record stores.
class LowText {
 public:
  LowText() = default;
  LowText(const LowText&) = delete;
  LowText& operator=(const LowText&) = delete;
  ~LowText();
  uint32_t Set(std::string_view text);
  uint32_t Address() const;
  const char* c_str() const { return LowArena::Pointer(Address()); }

 private:
  uint32_t addr_ = 0;
  size_t cap_ = 0;
};

}  // namespace sd
