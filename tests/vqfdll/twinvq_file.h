// Builds small TwinVQ files for the tests: the header chunks the stand-in reads and a bit
// stream of filler bytes.
#pragma once
#include <cstdint>
#include <string>

namespace vqftest {

inline std::string BigEndian(uint32_t v) {
  std::string s(4, '\0');
  for (int k = 0; k < 4; ++k) s[k] = static_cast<char>((v >> (24 - 8 * k)) & 0xFF);
  return s;
}

inline std::string Chunk(const std::string& id, const std::string& payload) {
  return id + BigEndian(static_cast<uint32_t>(payload.size())) + payload;
}

inline std::string Comm(uint32_t mode, uint32_t kbps, uint32_t rateCode) {
  return Chunk("COMM", BigEndian(mode) + BigEndian(kbps) + BigEndian(rateCode) + BigEndian(0));
}

// "TWIN", version, header size, the chunks, "DATA" and dataBytes bytes of stream.
inline std::string TwinVqFile(const std::string& chunks, size_t dataBytes, bool dataId = true) {
  return "TWIN" + std::string("97012000") + BigEndian(static_cast<uint32_t>(chunks.size())) +
         chunks + (dataId ? "DATA" : "") + std::string(dataBytes, '\x55');
}

}  // namespace vqftest
