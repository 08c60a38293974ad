// The plug-in library as it lies in the program folder: its descriptor and its exports.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engines/descriptor.h"

namespace {

const char kPlugin[] = SD_DIST_DIR "Ruvudo\\twindeck.dll";

TEST(TwindeckFile, EndsWithItsDescriptor) {
  std::ifstream f(kPlugin, std::ios::binary);
  ASSERT_TRUE(f);
  std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const std::string expected = std::string("{44569FE0-AEE1-11D5-AAB3-FDD155026253}") + "4200724" +
                               std::string("\x01\x01\x01\x01", 4) + "VQF-Media plug-in" +
                               std::string(15, '\0') + std::string("\x07\x01\x01\x01", 4) +
                               "*.vqf;" + std::string("\x5c\x01\x01\x01", 4) + "tollwick";
  ASSERT_EQ(expected.size(), 103u);
  ASSERT_GT(bytes.size(), 103u);
  EXPECT_EQ(bytes.substr(bytes.size() - 103), expected);
  EXPECT_EQ(bytes.substr(0, 2), "MZ");

  sd::TRuvuDofo d;
  ASSERT_TRUE(sd::ReadDescriptorFile(kPlugin, d));
  EXPECT_EQ(d.Guid, "{44569FE0-AEE1-11D5-AAB3-FDD155026253}");
  EXPECT_EQ(d.Version, 4200724);
  EXPECT_EQ(d.Flags, 0);
  EXPECT_EQ(d.Name, "VQF-Media plug-in");
  EXPECT_EQ(d.Masks, "*.vqf;");
}

TEST(TwindeckFile, ExportsOnlyPlusMessage) {
  HMODULE m = LoadLibraryExA(kPlugin, nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(m, nullptr);
  auto base = reinterpret_cast<const unsigned char*>(m);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  ASSERT_NE(dir.VirtualAddress, 0u);
  auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  std::vector<std::string> names;
  auto nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD k = 0; k < exports->NumberOfNames; ++k)
    names.emplace_back(reinterpret_cast<const char*>(base + nameRvas[k]));
  EXPECT_EQ(names, std::vector<std::string>{"PlusMessage"});
  EXPECT_EQ(exports->NumberOfFunctions, 1u);
  FreeLibrary(m);
}

}  // namespace
