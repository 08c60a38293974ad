#include "engines/descriptor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace sd {
namespace {

const std::string kVqfGuid = "{44569FE0-AEE1-11D5-AAB3-FDD155026253}";

// The descriptor the VQF plug-in carries, written out byte by byte.
std::string VqfDescriptorBytes() {
  std::string d = kVqfGuid + "4200724" + std::string("\x01\x01\x01\x01", 4) +
                  "VQF-Media plug-in" + std::string(15, '\0') +
                  std::string("\x07\x01\x01\x01", 4) + "*.vqf;" +
                  std::string("\x5c\x01\x01\x01", 4) + "tollwick";
  return d;
}

// A descriptor whose numbers and texts are given as raw bytes, for the odd cases.
std::string RawDescriptor(const std::string& guid, const std::string& version,
                          const std::string& flags, const std::string& name,
                          const std::string& maskLength, const std::string& masks,
                          const std::string& bodyLength, const std::string& signature) {
  std::string n = name;
  n.resize(32, '\0');
  return guid + version + flags + n + maskLength + masks + bodyLength + signature;
}

// A number in digit pairs, written out here so the tests do not lean on the encoder.
std::string Pairs(int32_t v) {
  std::string out;
  for (int k = 0; k < 4; ++k) {
    out += static_cast<char>(v % 100 + 1);
    v /= 100;
  }
  return out;
}

bool Decode(const std::string& bytes, TRuvuDofo& out) {
  MemorySource source(bytes);
  return DecodeDescriptor(source, out);
}

TEST(Descriptor, VqfDescriptorAfterAnImage) {
  ASSERT_EQ(VqfDescriptorBytes().size(), 103u);
  std::string file = std::string("MZ\x90\0\x03\0\0\0", 8) + std::string(300, '\xcc') +
                     VqfDescriptorBytes();
  TRuvuDofo d;
  ASSERT_TRUE(Decode(file, d));
  EXPECT_EQ(d.Guid, kVqfGuid);
  EXPECT_EQ(d.Version, 4200724);
  EXPECT_EQ(d.Flags, 0);
  EXPECT_EQ(d.Name, "VQF-Media plug-in");
  EXPECT_EQ(d.Masks, "*.vqf;");
}

TEST(Descriptor, EncoderWritesTheVqfBytes) {
  EXPECT_EQ(EncodeDescriptor(kVqfGuid, 4200724, 0, "VQF-Media plug-in", "*.vqf;"),
            VqfDescriptorBytes());
}

TEST(Descriptor, FlagsNumberToBits) {
  const struct {
    int32_t number;
    uint8_t flags;
  } cases[] = {
      {0, 0},
      {1, kPlusFlagVisual},
      {10, kPlusFlagCarried},
      {11, kPlusFlagCarried | kPlusFlagVisual},
      {100, kPlusFlagGeneral},
      {101, kPlusFlagGeneral | kPlusFlagVisual},
      {111, kPlusFlagGeneral | kPlusFlagCarried | kPlusFlagVisual},
      {2, 0},            // other digit values set nothing
      {22, 0},
      {200, 0},          // n div 100 must be exactly 1
      {1101, kPlusFlagVisual},
      {-1, 0},
      {-101, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(DescriptorFlags(c.number), c.flags) << c.number;

  // The flags bytes 02 02 01 01 are 101: a general plug-in with spectrum.
  std::string d = RawDescriptor(kVqfGuid, "4200724", std::string("\x02\x02\x01\x01", 4), "G",
                                std::string("\x07\x01\x01\x01", 4), "*.xyz;",
                                std::string("\x5c\x01\x01\x01", 4), "tollwick");
  TRuvuDofo out;
  ASSERT_TRUE(Decode(d, out));
  EXPECT_EQ(out.Flags, kPlusFlagGeneral | kPlusFlagVisual);
}

TEST(Descriptor, SignatureInAnyCase) {
  for (const char* sig : {"tollwick", "TOLLWICK", "TollWick"}) {
    std::string d = VqfDescriptorBytes();
    d.replace(d.size() - 8, 8, sig);
    TRuvuDofo out;
    EXPECT_TRUE(Decode(d, out)) << sig;
    EXPECT_EQ(out.Version, 4200724) << sig;
  }
}

TEST(Descriptor, FilesWithoutADescriptorAreRefused) {
  const std::string good = VqfDescriptorBytes();
  std::string wrongSignature = good;
  wrongSignature[wrongSignature.size() - 1] = 'x';
  std::string bodyTooLong = good;  // 99 99 99 99: far before the start of the file
  bodyTooLong.replace(good.size() - 12, 4, std::string("\x64\x64\x64\x64", 4));
  std::string bodyPastStart = good;  // 92: one byte before the file starts
  bodyPastStart.replace(good.size() - 12, 4, std::string("\x5d\x01\x01\x01", 4));
  std::string bodyTooShort = good;  // 60: the fixed fields would run into the tail
  bodyTooShort.replace(good.size() - 12, 4, std::string("\x3d\x01\x01\x01", 4));
  std::string bodyNegative = good;  // a zero byte decodes to a negative number
  bodyNegative.replace(good.size() - 12, 4, std::string("\x5c\x01\x01\x00", 4));
  const std::string cases[] = {
      "",
      "tollwick",
      std::string("\x5c\x01\x01\x01", 4) + "tollwick",
      good.substr(1),  // one byte of the Guid missing: the body starts before the file
      wrongSignature,
      bodyTooLong,
      bodyPastStart,
      bodyTooShort,
      bodyNegative,
      good + "\n",
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    TRuvuDofo out;
    out.Name = "stale";
    out.Version = 7;
    EXPECT_FALSE(Decode(cases[k], out)) << k;
    EXPECT_EQ(out.Name, "") << k;
    EXPECT_EQ(out.Version, 0) << k;
  }
}

TEST(Descriptor, FieldsEndAtTheirFirstZeroByte) {
  std::string guid = kVqfGuid;
  guid[10] = '\0';
  std::string d = RawDescriptor(guid, std::string("42\0" "0724", 7), std::string(4, '\x01'),
                                std::string("Name\0Hidden", 11), Pairs(8), std::string("*.ab;\0*.", 8),
                                Pairs(85 + 8),
                                "tollwick");
  TRuvuDofo out;
  ASSERT_TRUE(Decode(d, out));
  EXPECT_EQ(out.Guid, kVqfGuid.substr(0, 10));
  EXPECT_EQ(out.Version, 42);
  EXPECT_EQ(out.Name, "Name");
  EXPECT_EQ(out.Masks, "*.ab;");
}

TEST(Descriptor, OddNumbersAndTexts) {
  const std::string gbkName = "\xc7\xe0\xba\xcc\xb2\xe5\xbc\xfe";  // GBK text, kept as bytes
  const struct {
    std::string version;
    int32_t expected;
  } versions[] = {{"4200724", 4200724}, {"0000042", 42}, {"42x0724", 0}, {"       ", 0},
                  {"-000001", -1}};
  for (const auto& v : versions) {
    std::string d = RawDescriptor(kVqfGuid, v.version, std::string(4, '\x01'), gbkName,
                                  Pairs(11), "*.VQF;*.\x81Z;", Pairs(85 + 11), "tollwick");
    TRuvuDofo out;
    ASSERT_TRUE(Decode(d, out)) << v.version;
    EXPECT_EQ(out.Version, v.expected) << v.version;
    EXPECT_EQ(out.Name, gbkName);
    // ASCII letters are lowered; the trail byte 'Z' of a GBK character is not.
    EXPECT_EQ(out.Masks, "*.vqf;*.\x81Z;");
  }
}

TEST(Descriptor, MaskLengthIsBounded) {
  // The mask length is taken from the descriptor but never read beyond the buffer of 256
  // bytes nor beyond the end of the file; a negative one reads nothing.
  std::string longMasks(300, 'a');
  const struct {
    std::string maskLength;
    std::string masks;
    size_t expectedSize;
  } cases[] = {
      {std::string("\x01\x04\x01\x01", 4), longMasks, 256},  // 300
      {std::string("\x64\x64\x64\x64", 4), "*.a;", 4 + 12},  // runs into the tail
      {std::string("\x01\x01\x01\x00", 4), "*.a;", 0},       // negative
      {std::string("\x01\x01\x01\x01", 4), "*.a;", 0},
  };
  for (const auto& c : cases) {
    std::string d = RawDescriptor(kVqfGuid, "4200724", std::string(4, '\x01'), "N", c.maskLength,
                                  c.masks, "", "");
    // the body length is the real distance from the start to the length field
    d += Pairs(static_cast<int32_t>(d.size())) + "tollwick";
    TRuvuDofo out;
    ASSERT_TRUE(Decode(d, out));
    EXPECT_EQ(out.Masks.size(), c.expectedSize);
  }
}

TEST(Descriptor, EncoderRefusesFieldsThatDoNotFit) {
  EXPECT_EQ(EncodeDescriptor(kVqfGuid.substr(1), 1, 0, "n", "*.a;"), "");
  EXPECT_EQ(EncodeDescriptor(kVqfGuid, 10000000, 0, "n", "*.a;"), "");
  EXPECT_EQ(EncodeDescriptor(kVqfGuid, -1, 0, "n", "*.a;"), "");
  EXPECT_EQ(EncodeDescriptor(kVqfGuid, 1, -1, "n", "*.a;"), "");
  EXPECT_EQ(EncodeDescriptor(kVqfGuid, 1, 0, std::string(33, 'n'), "*.a;"), "");
  EXPECT_EQ(EncodeDescriptor(kVqfGuid, 1, 0, "n", std::string(257, 'a')), "");

  // What fits comes back as written.
  std::string d = EncodeDescriptor(kVqfGuid, 123, 111, std::string(32, 'n'), std::string(256, 'a'));
  TRuvuDofo out;
  ASSERT_TRUE(Decode(d, out));
  EXPECT_EQ(out.Version, 123);
  EXPECT_EQ(out.Flags, kPlusFlagGeneral | kPlusFlagCarried | kPlusFlagVisual);
  EXPECT_EQ(out.Name, std::string(32, 'n'));
  EXPECT_EQ(out.Masks, std::string(256, 'a'));
}

TEST(Descriptor, ReadFromAFile) {
  const std::string path = std::string(SD_BIN_DIR) + "descriptor_test_file.bin";
  {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << std::string(1000, '\0') << VqfDescriptorBytes();
  }
  TRuvuDofo out;
  EXPECT_TRUE(ReadDescriptorFile(path, out));
  EXPECT_EQ(out.Name, "VQF-Media plug-in");
  std::remove(path.c_str());
  EXPECT_FALSE(ReadDescriptorFile(path, out));
  EXPECT_EQ(out.Guid, "");
}

}  // namespace
}  // namespace sd
