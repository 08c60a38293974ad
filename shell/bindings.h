// The binding operations: program state reaches the skin's controls by function kind (the
// play lamp, the time display, the repeat switch ...). Without a skin they do nothing; the
// skin windows, and tests, install a sink that receives them.
#pragma once
#include <string>

namespace sd {

// Function kinds the play options drive.
enum BindingKind {
  kBindPlayLamp = 3,
  kBindPauseLamp = 4,
  kBindPositionSlider = 8,
  kBindRepeat = 9,
  kBindShuffle = 10,
  kBindTime = 14,
  kBindOnTop = 23,
  kBindLyricsLamp = 28,
};

class IBindingSink {
 public:
  virtual ~IBindingSink() = default;
  virtual void SetBindingState(int kind, int state) {}
  virtual void SetBindingText(int kind, const std::string& text) {}
  // The position sliders, as the share of the song played (0..1).
  virtual void SetPositionFraction(double fraction) {}
};

void SetBindingSink(IBindingSink* sink);  // nullptr: no skin
void SetBindingState(int kind, int state);
void SetBindingText(int kind, const std::string& text);
void SetPositionFraction(double fraction);

}  // namespace sd
