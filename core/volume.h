// The volume state the main window keeps: left and right 0-65535, balance 0-100, mute.
#pragma once

namespace sd {

struct VolumeState {
  int left = 65535, right = 65535;
  int balance = 50;
  bool mute = false;
  bool operator==(const VolumeState&) const = default;
};

VolumeState SoundUp(VolumeState v);    // each channel to at most 64511, then +1024
VolumeState SoundDown(VolumeState v);  // each channel to at least 1024, then -1024
VolumeState VolCenter(VolumeState v);  // both max(left, right)
VolumeState VolLeft(VolumeState v);    // left max, right 0
VolumeState VolRight(VolumeState v);   // right max, left 0

// The main window's position for "#centerwindow" (never negative).
int CenteredOffset(int screen, int window);

}  // namespace sd
