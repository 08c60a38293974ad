// The equaliser of mpeg.dll: 32 bands of equal width from 0 Hz to half the sample rate per
// channel, applied to 16-bit PCM. Each band is a peaking filter at the band's centre; the
// filters of a channel are tuned together so that the response at every band centre is the
// band's gain. Gains are signed bytes, gain in dB = value * 12 / 127. All-zero gains leave
// the samples untouched; every change crossfades from the old to the new filters.
#pragma once
#include <cstddef>
#include <cstdint>

namespace sd::mpeg {

class Equalizer {
 public:
  static constexpr int kBands = 32;
  static constexpr double kFadeSeconds = 0.020;

  static double GainDb(int8_t v) { return double(v) * 12.0 / 127.0; }
  // Centre of band k in Hz.
  static double BandCentre(int k, int sampleRate) { return (k + 0.5) * sampleRate / 64.0; }

  // Forgets the filter state and the gains (flat). channels: 1 or 2.
  void Reset(int sampleRate, int channels);
  // gains[0..31] left, [32..63] right. The change starts a crossfade (after the one running).
  void SetGains(const int8_t gains[64]);
  // Filters interleaved samples in place.
  void Process(int16_t* pcm, size_t frames);
  // True while the samples pass unchanged (flat and no crossfade running).
  bool Bypassed() const { return cur_.identity && !fading_ && !pending_; }
  // The designed response in dB of channel ch at frequency f (for checks).
  double ResponseDb(int ch, double f) const;

 private:
  struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double s1 = 0, s2 = 0;
  };
  struct Chain {
    bool identity = true;
    int count[2] = {0, 0};
    Biquad bq[2][kBands];
  };
  void Design(Chain& c, const int8_t gains[64]) const;
  void StartFade();
  static double Run(Chain& c, int ch, double x);

  int rate_ = 44100;
  int channels_ = 2;
  int fadeLen_ = 882;
  int fadePos_ = 0;
  bool fading_ = false;
  bool pending_ = false;
  int8_t pendingGains_[64] = {};
  int8_t gains_[64] = {};
  Chain cur_, next_;
};

}  // namespace sd::mpeg
