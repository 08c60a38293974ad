// Checked reads and writes of this process's own memory at addresses handed over by
// plug-ins: an address that is not readable (or writable) makes the call fail instead of
// faulting.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace sd {

bool ReadOwnMemory(uintptr_t address, void* out, size_t n);
bool WriteOwnMemory(uintptr_t address, const void* data, size_t n);
// A NUL-terminated text of at most maxLen bytes; false when unreadable or longer.
bool ReadOwnText(uintptr_t address, std::string& out, size_t maxLen);

}  // namespace sd
