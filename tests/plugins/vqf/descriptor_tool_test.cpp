// The descriptor writer run as the build runs it for twindeck.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

int RunTool(const std::string& args) {
  return std::system((std::string("'") + PLUSDESC_EXE + "' " + args + " 2>/dev/null").c_str());
}

TEST(DescriptorTool, AppendsTheTwindeckDescriptorToALibrary) {
  const std::string fields = std::string(SD_SRC_DIR) + "plugins/vqf/twindeck.desc";
  const std::string library = std::string(SD_BIN_DIR) + "tool_test_library.bin";
  const std::string out = std::string(SD_BIN_DIR) + "tool_test_out.bin";
  const std::string image = std::string("MZ\x90\0", 4) + std::string(500, '\xab');
  std::ofstream(library, std::ios::binary | std::ios::trunc) << image;

  ASSERT_EQ(RunTool("'" + fields + "' '" + out + "' '" + library + "'"), 0);
  const std::string expected = std::string("{44569FE0-AEE1-11D5-AAB3-FDD155026253}") + "4200724" +
                               std::string("\x01\x01\x01\x01", 4) + "VQF-Media plug-in" +
                               std::string(15, '\0') + std::string("\x07\x01\x01\x01", 4) +
                               "*.vqf;" + std::string("\x5c\x01\x01\x01", 4) + "tollwick";
  EXPECT_EQ(ReadFile(out), image + expected);
  std::remove(out.c_str());
  std::remove(library.c_str());
}

TEST(DescriptorTool, RefusesFieldsThatDoNotFitAndWritesNothing) {
  const std::string fields = std::string(SD_BIN_DIR) + "tool_test_fields.txt";
  const std::string out = std::string(SD_BIN_DIR) + "tool_test_bad.bin";
  const char* bad[] = {
      "guid={SHORT}\nnumber=1\nflags=0\nname=n\nmasks=*.a;\n",
      "guid={44569FE0-AEE1-11D5-AAB3-FDD155026253}\nnumber=12345678\nflags=0\nname=n\nmasks=\n",
      "guid={44569FE0-AEE1-11D5-AAB3-FDD155026253}\nnumber=x\nflags=0\nname=n\nmasks=\n",
      "guid={44569FE0-AEE1-11D5-AAB3-FDD155026253}\nnumber=1\nname=n\nmasks=\n",
      ("guid={44569FE0-AEE1-11D5-AAB3-FDD155026253}\nnumber=1\nflags=0\n"
       "name=a name of more than thirty-two bytes\nmasks=\n"),
      "no equals sign\n",
  };
  for (const char* text : bad) {
    std::ofstream(fields, std::ios::binary | std::ios::trunc) << text;
    std::remove(out.c_str());
    EXPECT_NE(RunTool("'" + fields + "' '" + out + "'"), 0) << text;
    EXPECT_FALSE(std::ifstream(out).good()) << text;
  }
  std::remove(fields.c_str());
}

}  // namespace
