#include "core/instance_msg.h"

#include <cstring>

#include "core/file_kind.h"
#include "core/text.h"

namespace sd {

const char* InstanceVerbText(uintptr_t number) {
  static const char* const kVerbs[] = {"#EditLyrics", "#AddFile", "#Skin", "#InstallPlus", "#Play", "#Normal"};
  if (number < 1 || number > 6) return nullptr;
  return kVerbs[number - 1];
}

std::vector<InstanceMessage> PlanForwarding(const std::vector<std::string>& args) {
  std::vector<InstanceMessage> out;
  if (args.empty()) {
    out.push_back({kInstNormal, "", false});
    return out;
  }
  std::string skin, package, media;
  bool haveSkin = false, havePackage = false, haveMedia = false;
  for (const std::string& a : args) {
    switch (FileKind(LowerAscii(ExtractFileExt(a)))) {
      case kKindSkin: skin = a; haveSkin = true; break;
      case kKindLyrics: out.push_back({kInstEditLyrics, a, true}); break;
      case kKindPackage: package = a; havePackage = true; break;
      default:
        media = a;
        haveMedia = true;
        out.push_back({kInstAddFile, a, true});
        break;
    }
  }
  if (haveSkin) out.push_back({kInstSkin, skin, true});
  if (havePackage) out.push_back({kInstInstallPlus, package, true});
  if (haveMedia) out.push_back({kInstPlay, media, true});
  return out;
}

bool DecodeInstanceMessage(uintptr_t wparam, bool hasBlock, uintptr_t blockTag, const void* blockData,
                           uint32_t blockSize, std::string& verb, std::string& arg) {
  const char* text = InstanceVerbText(wparam);
  if (!text) return false;
  arg.clear();
  if (hasBlock) {
    if (blockTag != 0 || !blockData || blockSize == 0) return false;
    const char* data = static_cast<const char*>(blockData);
    // The length is the text's length plus its NUL: no NUL before the last byte.
    if (data[blockSize - 1] != '\0' || std::memchr(data, 0, blockSize - 1) != nullptr) return false;
    arg.assign(data, blockSize - 1);
  }
  verb = text;
  return true;
}

}  // namespace sd
