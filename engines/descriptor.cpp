#include "engines/descriptor.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "core/digitpairs.h"
#include "core/text.h"

namespace sd {

namespace {

constexpr size_t kTailSize = 12;  // body length (4) + signature (8)

// Bytes of a field up to its first byte 0.
std::string FieldText(const uint8_t* bytes, size_t n) {
  const void* zero = std::memchr(bytes, 0, n);
  size_t len = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : n;
  return std::string(reinterpret_cast<const char*>(bytes), len);
}

class FileSource : public ByteSource {
 public:
  explicit FileSource(std::FILE* f) : f_(f) {}
  uint64_t Size() override {
    if (std::fseek(f_, 0, SEEK_END) != 0) return 0;
    long pos = std::ftell(f_);
    return pos < 0 ? 0 : static_cast<uint64_t>(pos);
  }
  bool ReadAt(uint64_t offset, void* buf, size_t n) override {
    if (offset > static_cast<uint64_t>(LONG_MAX)) return false;
    if (std::fseek(f_, static_cast<long>(offset), SEEK_SET) != 0) return false;
    return std::fread(buf, 1, n, f_) == n;
  }

 private:
  std::FILE* f_;
};

}  // namespace

bool MemorySource::ReadAt(uint64_t offset, void* buf, size_t n) {
  if (offset > size_ || n > size_ - offset) return false;
  if (n) std::memcpy(buf, data_ + offset, n);
  return true;
}

uint8_t DescriptorFlags(int32_t number) {
  uint8_t flags = 0;
  if (number / 100 == 1) flags |= kPlusFlagGeneral;
  if (number / 10 % 10 == 1) flags |= kPlusFlagCarried;
  if (number % 10 == 1) flags |= kPlusFlagVisual;
  return flags;
}

bool DecodeDescriptor(ByteSource& source, TRuvuDofo& out) {
  out = TRuvuDofo{};
  const uint64_t size = source.Size();
  if (size < kTailSize) return false;

  uint8_t tail[kTailSize];
  if (!source.ReadAt(size - kTailSize, tail, kTailSize)) return false;
  std::string signature(reinterpret_cast<const char*>(tail + 4), kDescriptorSignature.size());
  if (LowerAscii(signature) != kDescriptorSignature) return false;

  // The body starts body-length bytes before its length field; it must lie inside the file
  // and hold at least the fixed fields.
  int32_t bodyLength = DecodeDigitPairs(tail, 4);
  if (bodyLength < 0 || static_cast<uint64_t>(bodyLength) > size - kTailSize) return false;
  const uint64_t start = size - kTailSize - static_cast<uint64_t>(bodyLength);
  if (size - start < kDescriptorFixedSize) return false;

  uint8_t fixed[kDescriptorFixedSize];
  if (!source.ReadAt(start, fixed, sizeof fixed)) return false;
  const uint8_t* p = fixed;
  std::string guid = FieldText(p, kDescriptorGuidSize);
  p += kDescriptorGuidSize;
  std::string versionText = FieldText(p, kDescriptorVersionSize);
  p += kDescriptorVersionSize;
  int32_t flagsNumber = DecodeDigitPairs(p, 4);
  p += 4;
  std::string name = FieldText(p, kDescriptorNameSize);
  p += kDescriptorNameSize;
  int32_t maskLength = DecodeDigitPairs(p, 4);

  // The mask text goes through a bounded buffer: never more than it holds, never past the
  // end of the file, whatever length the descriptor claims.
  uint64_t maskRoom = size - (start + kDescriptorFixedSize);
  size_t maskSize = maskLength > 0 ? static_cast<size_t>(maskLength) : 0;
  if (maskSize > kDescriptorMaxMasks) maskSize = kDescriptorMaxMasks;
  if (maskSize > maskRoom) maskSize = static_cast<size_t>(maskRoom);
  uint8_t masks[kDescriptorMaxMasks];
  if (maskSize && !source.ReadAt(start + kDescriptorFixedSize, masks, maskSize)) return false;

  out.Guid = guid;
  out.Name = name;
  out.Masks = LowerAscii(FieldText(masks, maskSize));
  if (!TryTextToInt(versionText, out.Version)) out.Version = 0;
  out.Flags = DescriptorFlags(flagsNumber);
  return true;
}

bool ReadDescriptorFile(const std::string& path, TRuvuDofo& out) {
  out = TRuvuDofo{};
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  FileSource source(f);
  bool ok = DecodeDescriptor(source, out);
  std::fclose(f);
  return ok;
}

std::string EncodeDescriptor(std::string_view guid, int32_t version, int32_t flagsNumber,
                             std::string_view name, std::string_view masks) {
  if (guid.size() != kDescriptorGuidSize || version < 0 || version > 9999999 ||
      flagsNumber < 0 || name.size() > kDescriptorNameSize || masks.size() > kDescriptorMaxMasks)
    return {};
  uint8_t number[4];
  std::string out(guid);
  char digits[16];
  std::snprintf(digits, sizeof digits, "%07d", static_cast<int>(version));
  out.append(digits, kDescriptorVersionSize);
  if (!EncodeDigitPairs(flagsNumber, number, 4)) return {};
  out.append(reinterpret_cast<const char*>(number), 4);
  out.append(name);
  out.append(kDescriptorNameSize - name.size(), '\0');
  EncodeDigitPairs(static_cast<int32_t>(masks.size()), number, 4);
  out.append(reinterpret_cast<const char*>(number), 4);
  out.append(masks);
  EncodeDigitPairs(static_cast<int32_t>(kDescriptorFixedSize + masks.size()), number, 4);
  out.append(reinterpret_cast<const char*>(number), 4);
  out.append(kDescriptorSignature);
  return out;
}

}  // namespace sd
