// plusdesc: writes a plug-in descriptor from its fields and appends it to a library.
//   plusdesc FIELDS OUTPUT [LIBRARY]
// FIELDS is a text file of "key=value" lines: guid, number (7 digits at most), flags (the
// decimal flags number as stored: 0, 1, 101 ...), name, masks. OUTPUT receives the bytes of
// LIBRARY (when given) followed by the descriptor. Values are taken as bytes, up to the end
// of their line.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "core/text.h"
#include "engines/descriptor.h"

namespace {

bool ReadWhole(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool ParseFields(const std::string& text, std::map<std::string, std::string>& fields,
                 std::string& error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (sd::Trim(line).empty() || line[0] == '#') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
      error = "line " + std::to_string(number) + ": no '='";
      return false;
    }
    fields[sd::NormalizeText(line.substr(0, eq))] = line.substr(eq + 1);
  }
  return true;
}

bool NumberField(const std::map<std::string, std::string>& fields, const char* key,
                 int32_t& value) {
  auto it = fields.find(key);
  if (it == fields.end()) return false;
  std::string text = sd::Trim(it->second);
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return sd::TryTextToInt(text, value);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::cerr << "usage: plusdesc FIELDS OUTPUT [LIBRARY]\n";
    return 2;
  }
  std::string text, error;
  std::map<std::string, std::string> fields;
  if (!ReadWhole(argv[1], text)) {
    std::cerr << "plusdesc: cannot read " << argv[1] << "\n";
    return 1;
  }
  if (!ParseFields(text, fields, error)) {
    std::cerr << "plusdesc: " << argv[1] << ": " << error << "\n";
    return 1;
  }
  int32_t version = 0, flags = 0;
  if (!NumberField(fields, "number", version) || !NumberField(fields, "flags", flags)) {
    std::cerr << "plusdesc: " << argv[1] << ": number and flags must be decimal numbers\n";
    return 1;
  }
  std::string descriptor = sd::EncodeDescriptor(fields["guid"], version, flags, fields["name"],
                                                fields["masks"]);
  if (descriptor.empty()) {
    std::cerr << "plusdesc: " << argv[1]
              << ": a field does not fit (guid 38 bytes, number up to 9999999, name up to 32"
                 " bytes, masks up to 256 bytes)\n";
    return 1;
  }
  std::string library;
  if (argc == 4 && !ReadWhole(argv[3], library)) {
    std::cerr << "plusdesc: cannot read " << argv[3] << "\n";
    return 1;
  }
  // Written beside the output and renamed, so a failed run leaves no half-written library.
  std::string temp = std::string(argv[2]) + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << library << descriptor;
    out.close();
    if (!out) {
      std::cerr << "plusdesc: cannot write " << temp << "\n";
      std::remove(temp.c_str());
      return 1;
    }
  }
  if (std::rename(temp.c_str(), argv[2]) != 0) {
    std::cerr << "plusdesc: cannot write " << argv[2] << "\n";
    std::remove(temp.c_str());
    return 1;
  }
  return 0;
}
