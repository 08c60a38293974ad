// The descriptor a plug-in library carries after its image, read backwards from the end of
// the file:
//   Guid (38) | Version, 7 ASCII digits | flags number (4) | Name (32, 0-filled) |
//   mask length M (4) | masks (M) | body length 85 + M (4) | "tollwick"
// The 4-byte numbers are digit pairs (core/digitpairs.h). The bytes of a plug-in file are
// untrusted: the reader goes through a bounded buffer and never trusts a length it reads.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sd {

// A decoded descriptor.
struct TRuvuDofo {
  std::string Guid;
  std::string Name;
  std::string Masks;  // lower-cased, e.g. "*.vqf;"
  int32_t Version = 0;
  uint8_t Flags = 0;  // kPlusFlag* bits
};

constexpr uint8_t kPlusFlagVisual = 1;   // a spectrum engine
constexpr uint8_t kPlusFlagCarried = 2;  // kept from the descriptor; nothing depends on it
constexpr uint8_t kPlusFlagGeneral = 4;  // a general plug-in

constexpr size_t kDescriptorGuidSize = 38;
constexpr size_t kDescriptorVersionSize = 7;
constexpr size_t kDescriptorNameSize = 32;
constexpr size_t kDescriptorFixedSize = 85;  // everything of the body before the masks
constexpr size_t kDescriptorMaxMasks = 256;  // masks beyond this are cut off
inline constexpr std::string_view kDescriptorSignature = "tollwick";

// Random access to the bytes of a file.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() = 0;
  // Reads n bytes at offset; false when they cannot all be read.
  virtual bool ReadAt(uint64_t offset, void* buf, size_t n) = 0;
};

// A byte source over memory (the caller keeps the bytes alive).
class MemorySource : public ByteSource {
 public:
  MemorySource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  explicit MemorySource(std::string_view bytes) : MemorySource(bytes.data(), bytes.size()) {}
  uint64_t Size() override { return size_; }
  bool ReadAt(uint64_t offset, void* buf, size_t n) override;

 private:
  const uint8_t* data_;
  size_t size_;
};

// Flag bits of a flags number: 4 when n div 100 is 1, 2 when the tens digit is 1, 1 when the
// units digit is 1.
uint8_t DescriptorFlags(int32_t number);

// Decodes the descriptor at the end of the source. False (out cleared) when there is none:
// no "tollwick" (any case) at the end, or a body length that reaches outside the file.
bool DecodeDescriptor(ByteSource& source, TRuvuDofo& out);
// The same for a file by name (opened for reading only, closed again).
bool ReadDescriptorFile(const std::string& path, TRuvuDofo& out);

// The writer's side: the bytes of a descriptor from its fields. flagsNumber is the decimal
// flags number as stored (0 playback engine, 1 spectrum engine, 101 general plug-in with
// spectrum). Empty when a field does not fit: Guid not 38 bytes, Version outside
// 0..9999999, a negative flags number, Name over 32 bytes, masks over 256 bytes.
std::string EncodeDescriptor(std::string_view guid, int32_t version, int32_t flagsNumber,
                             std::string_view name, std::string_view masks);

}  // namespace sd
