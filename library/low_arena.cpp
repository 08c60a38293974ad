#include "library/low_arena.h"

#include <cstring>
#include <mutex>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace sd {

namespace {
constexpr size_t kRegion = 8u << 20;
std::mutex g_lock;

bool FitsLow(const void* p, size_t size) {
  uintptr_t a = reinterpret_cast<uintptr_t>(p);
  return a != 0 && static_cast<uint64_t>(a) + size <= 0xFFFFFFFFull;
}

char* ReserveLow(size_t size) {
#if defined(_WIN32)
  if constexpr (sizeof(void*) == 4) {
    return static_cast<char*>(VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  } else {
    // Try fixed places below 4 GiB until one is free.
    for (uint64_t at = 0x10000000ull; at + size < 0xFFFFFFFFull; at += 0x1000000ull) {
      void* p = VirtualAlloc(reinterpret_cast<void*>(static_cast<uintptr_t>(at)), size,
                             MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
      if (!p) continue;
      if (FitsLow(p, size)) return static_cast<char*>(p);
      VirtualFree(p, 0, MEM_RELEASE);
    }
    return nullptr;
  }
#else
  int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#if defined(MAP_32BIT)
  void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, flags | MAP_32BIT, -1, 0);
  if (p != MAP_FAILED && FitsLow(p, size)) return static_cast<char*>(p);
  if (p != MAP_FAILED) munmap(p, size);
#endif
#if defined(MAP_FIXED_NOREPLACE)
  for (uint64_t at = 0x10000000ull; at + size < 0xFFFFFFFFull; at += 0x1000000ull) {
    void* q = mmap(reinterpret_cast<void*>(static_cast<uintptr_t>(at)), size, PROT_READ | PROT_WRITE,
                   flags | MAP_FIXED_NOREPLACE, -1, 0);
    if (q == MAP_FAILED) continue;
    if (FitsLow(q, size)) return static_cast<char*>(q);
    munmap(q, size);
  }
#endif
  return nullptr;
#endif
}

int ClassOf(size_t size) {
  size_t cap = 32;
  for (int c = 0; c < 12; ++c, cap <<= 1)
    if (size <= cap) return c;
  return -1;
}
}  // namespace

LowArena& LowArena::Instance() {
  static LowArena arena;
  return arena;
}

LowArena::LowArena() {
  base_ = ReserveLow(kRegion);
  if (!base_) return;
  size_ = kRegion;
  std::memset(base_, 0, 32);
  empty_ = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base_));
  used_ = 32;
}

uint32_t LowArena::Alloc(size_t size, size_t& cap) {
  std::lock_guard<std::mutex> hold(g_lock);
  cap = 0;
  int c = ClassOf(size);
  if (!base_ || c < 0) return 0;
  size_t want = size_t{32} << c;
  if (uint32_t head = free_[c]) {
    std::memcpy(&free_[c], Pointer(head), sizeof(uint32_t));
    cap = want;
    return head;
  }
  if (size_ - used_ < want) return 0;
  char* p = base_ + used_;
  used_ += want;
  cap = want;
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

void LowArena::Free(uint32_t addr, size_t cap) {
  std::lock_guard<std::mutex> hold(g_lock);
  int c = ClassOf(cap);
  if (!addr || c < 0 || (size_t{32} << c) != cap) return;
  std::memcpy(Pointer(addr), &free_[c], sizeof(uint32_t));
  free_[c] = addr;
}

LowText::~LowText() {
  if (addr_) LowArena::Instance().Free(addr_, cap_);
}

uint32_t LowText::Set(std::string_view text) {
  LowArena& arena = LowArena::Instance();
  if (text.size() > LowArena::kMaxText) text = text.substr(0, LowArena::kMaxText);
  if (!addr_ || cap_ < text.size() + 1) {
    if (addr_) arena.Free(addr_, cap_);
    addr_ = arena.Alloc(text.size() + 1, cap_);
    if (!addr_) cap_ = 0;
  }
  if (addr_) {
    char* p = LowArena::Pointer(addr_);
    std::memcpy(p, text.data(), text.size());
    p[text.size()] = 0;
  }
  return Address();
}

uint32_t LowText::Address() const { return addr_ ? addr_ : LowArena::Instance().Empty(); }

}  // namespace sd
