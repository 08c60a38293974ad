#include "core/volume.h"

#include <algorithm>

namespace sd {

VolumeState SoundUp(VolumeState v) {
  v.left = std::min(v.left, 64511) + 1024;
  v.right = std::min(v.right, 64511) + 1024;
  return v;
}

VolumeState SoundDown(VolumeState v) {
  v.left = std::max(v.left, 1024) - 1024;
  v.right = std::max(v.right, 1024) - 1024;
  return v;
}

VolumeState VolCenter(VolumeState v) {
  v.left = v.right = std::max(v.left, v.right);
  return v;
}

VolumeState VolLeft(VolumeState v) {
  v.left = std::max(v.left, v.right);
  v.right = 0;
  return v;
}

VolumeState VolRight(VolumeState v) {
  v.right = std::max(v.left, v.right);
  v.left = 0;
  return v;
}

int CenteredOffset(int screen, int window) { return std::max((screen - window) / 2, 0); }

}  // namespace sd
