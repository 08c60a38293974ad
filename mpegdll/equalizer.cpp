#include "mpegdll/equalizer.h"

#include <cmath>
#include <cstring>

namespace sd::mpeg {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Coeffs {
  double b0, b1, b2, a1, a2;
};

// A peaking filter of gain db at the centre of band k (bilinear transform of the analogue
// prototype, normalised by a0). Its width is given in octaves, corrected for the
// warping of the transform, so the bands near half the sample rate keep their width (and a
// short ring). The half-gain points lie 0.8 of a band width apart: wide enough for a smooth
// curve, narrow enough that tuning the overlapping filters converges.
Coeffs Peaking(int k, double db, int rate) {
  double A = std::pow(10.0, db / 40.0);
  double w = 2 * kPi * Equalizer::BandCentre(k, rate) / rate;
  double sw = std::sin(w);
  constexpr double kWidth = 0.8;
  double lo = k + 0.5 - kWidth / 2, hi = k + 0.5 + kWidth / 2;
  double alpha = sw * std::sinh(std::log(2.0) / 2 * std::log2(hi / lo) * w / sw);
  double c = std::cos(w);
  double a0 = 1 + alpha / A;
  return {(1 + alpha * A) / a0, -2 * c / a0, (1 - alpha * A) / a0, -2 * c / a0, (1 - alpha / A) / a0};
}

double MagnitudeDb(const Coeffs& k, double f, int rate) {
  double w = 2 * kPi * f / rate;
  double c1 = std::cos(w), s1 = std::sin(w), c2 = std::cos(2 * w), s2 = std::sin(2 * w);
  double nr = k.b0 + k.b1 * c1 + k.b2 * c2, ni = -(k.b1 * s1 + k.b2 * s2);
  double dr = 1 + k.a1 * c1 + k.a2 * c2, di = -(k.a1 * s1 + k.a2 * s2);
  return 10.0 * std::log10((nr * nr + ni * ni) / (dr * dr + di * di));
}

}  // namespace

void Equalizer::Reset(int sampleRate, int channels) {
  rate_ = sampleRate > 0 ? sampleRate : 44100;
  channels_ = channels == 1 ? 1 : 2;
  fadeLen_ = int(rate_ * kFadeSeconds);
  if (fadeLen_ < 1) fadeLen_ = 1;
  fadePos_ = 0;
  fading_ = pending_ = false;
  std::memset(gains_, 0, sizeof gains_);
  cur_ = Chain{};
  next_ = Chain{};
}

void Equalizer::Design(Chain& c, const int8_t gains[64]) const {
  Chain fresh;
  fresh.identity = true;
  for (int ch = 0; ch < 2; ++ch) {
    const int8_t* g = gains + ch * kBands;
    bool flat = true;
    for (int k = 0; k < kBands; ++k) flat = flat && g[k] == 0;
    if (flat) continue;
    fresh.identity = false;
    // Tune the filter gains p so that the summed response at each centre meets its target:
    // the filters overlap, so a few rounds of correcting each gain by its centre's error.
    double target[kBands], p[kBands], centre[kBands];
    for (int k = 0; k < kBands; ++k) {
      target[k] = GainDb(g[k]);
      p[k] = target[k];
      centre[k] = BandCentre(k, rate_);
    }
    Coeffs co[kBands];
    for (int round = 0; round < 60; ++round) {
      for (int k = 0; k < kBands; ++k) co[k] = Peaking(k, p[k], rate_);
      double worst = 0;
      double err[kBands];
      for (int i = 0; i < kBands; ++i) {
        double sum = 0;
        for (int k = 0; k < kBands; ++k)
          sum += MagnitudeDb(co[k], centre[i], rate_);
        err[i] = target[i] - sum;
        worst = std::fmax(worst, std::fabs(err[i]));
      }
      if (!(worst < 1e3)) {  // never expected; fall back to the untuned gains
        for (int k = 0; k < kBands; ++k) p[k] = target[k];
        break;
      }
      if (worst < 0.005) break;
      for (int k = 0; k < kBands; ++k) p[k] += 0.8 * err[k];
    }
    for (int k = 0; k < kBands; ++k) {
      Coeffs q = Peaking(k, p[k], rate_);
      Biquad& b = fresh.bq[ch][k];
      b.b0 = q.b0, b.b1 = q.b1, b.b2 = q.b2, b.a1 = q.a1, b.a2 = q.a2;
    }
    fresh.count[ch] = kBands;
  }
  // Each band's filter keeps its state, so the new chain does not start from rest in the
  // middle of the sound.
  for (int ch = 0; ch < 2; ++ch)
    for (int i = 0; i < fresh.count[ch] && i < c.count[ch]; ++i) {
      fresh.bq[ch][i].s1 = c.bq[ch][i].s1;
      fresh.bq[ch][i].s2 = c.bq[ch][i].s2;
    }
  c = fresh;
}

double Equalizer::ResponseDb(int ch, double f) const {
  const Chain& c = fading_ ? next_ : cur_;
  double sum = 0;
  for (int i = 0; i < c.count[ch]; ++i) {
    const Biquad& b = c.bq[ch][i];
    sum += MagnitudeDb({b.b0, b.b1, b.b2, b.a1, b.a2}, f, rate_);
  }
  return sum;
}

void Equalizer::SetGains(const int8_t gains[64]) {
  if (fading_) {
    std::memcpy(pendingGains_, gains, 64);
    pending_ = true;
    return;
  }
  if (std::memcmp(gains, gains_, 64) == 0) return;
  std::memcpy(gains_, gains, 64);
  StartFade();
}

void Equalizer::StartFade() {
  next_ = cur_;
  Design(next_, gains_);
  fading_ = true;
  fadePos_ = 0;
}

double Equalizer::Run(Chain& c, int ch, double x) {
  if (c.identity) return x;
  for (int i = 0; i < c.count[ch]; ++i) {
    Biquad& b = c.bq[ch][i];
    double y = b.b0 * x + b.s1;
    b.s1 = b.b1 * x - b.a1 * y + b.s2;
    b.s2 = b.b2 * x - b.a2 * y;
    x = y;
  }
  return x;
}

void Equalizer::Process(int16_t* pcm, size_t frames) {
  if (Bypassed()) return;
  // A tiny offset keeps the filter state out of denormal numbers in silence.
  constexpr double kTiny = 1e-20;
  for (size_t f = 0; f < frames; ++f) {
    double a = fading_ ? double(fadePos_ + 1) / fadeLen_ : 0;
    for (int ch = 0; ch < channels_; ++ch) {
      int16_t& s = pcm[f * size_t(channels_) + size_t(ch)];
      double x = double(s) + kTiny;
      double y = Run(cur_, ch, x);
      if (fading_) y = y * (1 - a) + Run(next_, ch, x) * a;
      double r = std::nearbyint(y);
      s = r > 32767 ? int16_t(32767) : r < -32768 ? int16_t(-32768) : int16_t(r);
    }
    if (fading_ && ++fadePos_ >= fadeLen_) {
      cur_ = next_;
      fading_ = false;
      if (pending_) {
        pending_ = false;
        if (std::memcmp(pendingGains_, gains_, 64) != 0) {
          std::memcpy(gains_, pendingGains_, 64);
          StartFade();
        }
      }
      if (Bypassed()) return;
    }
  }
}

}  // namespace sd::mpeg
