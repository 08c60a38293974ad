#include "mpegdll/equalizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

using sd::mpeg::Equalizer;

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<int16_t> Sine(double f, int rate, size_t frames, double amp, int channels = 2) {
  std::vector<int16_t> v(frames * size_t(channels));
  for (size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      v[i * size_t(channels) + size_t(c)] = int16_t(std::lround(amp * std::sin(2 * kPi * f * double(i) / rate)));
  return v;
}

double Rms(const std::vector<int16_t>& v, size_t from, size_t to, int ch, int channels = 2) {
  double s = 0;
  for (size_t i = from; i < to; ++i) {
    double x = v[i * size_t(channels) + size_t(ch)];
    s += x * x;
  }
  return std::sqrt(s / double(to - from));
}

// Gains in dB the equaliser gives a sine at f on the two channels, measured after it settled.
std::pair<double, double> MeasuredGainDb(const int8_t gains[64], double f, int rate) {
  Equalizer eq;
  eq.Reset(rate, 2);
  eq.SetGains(gains);
  const size_t n = size_t(rate) / 8;
  auto in = Sine(f, rate, n, 2000);
  auto out = in;
  eq.Process(out.data(), n);
  auto db = [&](int ch) { return 20 * std::log10(Rms(out, n / 2, n, ch) / Rms(in, n / 2, n, ch)); };
  return {db(0), db(1)};
}

}  // namespace

TEST(Equalizer, FlatGainsLeaveSamplesBitIdentical) {
  std::mt19937 rng(7);
  std::vector<int16_t> in(44100 * 2);
  for (auto& s : in) s = int16_t(rng());
  Equalizer eq;
  eq.Reset(44100, 2);
  auto out = in;
  eq.Process(out.data(), 44100);
  EXPECT_EQ(out, in);
  // Into an equaliser setting and back to flat: once the crossfade is over, exact again.
  int8_t g[64] = {};
  g[3] = 100;
  eq.SetGains(g);
  out = in;
  eq.Process(out.data(), 44100);
  EXPECT_NE(out, in);
  std::memset(g, 0, sizeof g);
  eq.SetGains(g);
  out = in;
  eq.Process(out.data(), 2000);  // the crossfade (882 frames) ends in here
  EXPECT_TRUE(eq.Bypassed());
  out = in;
  eq.Process(out.data(), 44100);
  EXPECT_EQ(out, in);
}

TEST(Equalizer, EachBandCentreHasItsGainWithinOneDecibel) {
  struct Setting {
    const char* what;
    int8_t left[32];
  };
  Setting settings[5] = {{"one band up", {}}, {"one band down", {}}, {"alternating", {}},
                         {"ramp", {}}, {"random", {}}};
  settings[0].left[0] = 127;
  settings[1].left[17] = -128;
  std::mt19937 rng(11);
  for (int k = 0; k < 32; ++k) {
    settings[2].left[k] = k % 2 ? 127 : -128;
    settings[3].left[k] = int8_t(-128 + k * 8);
    settings[4].left[k] = int8_t(int(rng() % 256) - 128);
  }
  const int rates[] = {44100, 22050};
  for (int rate : rates)
    for (const auto& s : settings) {
      int8_t g[64];
      std::memcpy(g, s.left, 32);
      for (int k = 0; k < 32; ++k) g[32 + k] = int8_t(-s.left[k] / 2);  // the right channel differs
      for (int k = 0; k < 32; ++k) {
        SCOPED_TRACE(testing::Message() << s.what << " rate " << rate << " band " << k);
        auto [left, right] = MeasuredGainDb(g, Equalizer::BandCentre(k, rate), rate);
        EXPECT_NEAR(left, Equalizer::GainDb(g[k]), 1.0);
        EXPECT_NEAR(right, Equalizer::GainDb(g[32 + k]), 1.0);
      }
    }
}

TEST(Equalizer, StrongBoostSaturatesInsteadOfWrapping) {
  int8_t g[64];
  std::memset(g, 127, sizeof g);
  Equalizer eq;
  eq.Reset(44100, 2);
  eq.SetGains(g);
  auto in = Sine(Equalizer::BandCentre(4, 44100), 44100, 8820, 20000);
  auto out = in;
  eq.Process(out.data(), 8820);
  int clipped = 0;
  for (size_t i = 4410 * 2; i < out.size(); ++i) {
    // a wrapped sample would have the opposite sign of a large input
    if (std::abs(in[i]) > 8000) {
      EXPECT_EQ(in[i] > 0, out[i] > 0) << "sample " << i;
    }
    if (out[i] == 32767 || out[i] == -32768) ++clipped;
  }
  EXPECT_GT(clipped, 100);
}

TEST(Equalizer, ChangesCrossfadeOverTwentyMilliseconds) {
  const int rate = 44100;
  const double f = Equalizer::BandCentre(6, rate);
  auto in = Sine(f, rate, rate, 2000);
  auto out = in;
  Equalizer eq;
  eq.Reset(rate, 2);
  eq.Process(out.data(), 4410);  // 100 ms flat
  int8_t g[64] = {};
  g[6] = g[32 + 6] = 127;  // +12 dB: four times the amplitude
  eq.SetGains(g);
  eq.Process(out.data() + 4410 * 2, size_t(rate) - 4410);
  auto level = [&](double ms) {  // amplitude over one period from ms after the change
    size_t from = size_t(4410 + std::lround(ms * rate / 1000));
    size_t period = size_t(rate / f) + 1;
    return Rms(out, from, from + period, 0) / Rms(in, from, from + period, 0);
  };
  EXPECT_NEAR(level(-5), 1.0, 0.05);
  EXPECT_GT(level(8), 1.4);  // on its way
  EXPECT_LT(level(8), 3.2);
  EXPECT_NEAR(level(40), std::pow(10, 12.0 / 20), 0.25);
  // No step at the change: neighbouring samples never jump more than the sine's own slope
  // at four times the amplitude allows.
  double maxStep = 4.2 * 2000 * 2 * kPi * f / rate;
  for (size_t i = 4400; i < 4410 + 2000; ++i)
    EXPECT_LT(std::abs(out[(i + 1) * 2] - out[i * 2]), maxStep) << "frame " << i;
}

// Whatever the 64 bytes hold, tuning the filters converges: the designed response meets
// every band's gain at its centre.
TEST(Equalizer, TuningMeetsTheCentresForAnySetting) {
  std::mt19937 rng(3);
  for (int round = 0; round < 200; ++round) {
    int8_t g[64];
    for (auto& v : g) {
      int kind = int(rng() % 4);  // extremes are where tuning works hardest
      v = int8_t(kind == 0 ? 127 : kind == 1 ? -128 : int(rng() % 256) - 128);
    }
    Equalizer eq;
    eq.Reset(round % 2 ? 44100 : 8000, 2);
    eq.SetGains(g);
    for (int ch = 0; ch < 2; ++ch)
      for (int k = 0; k < 32; ++k) {
        double f = Equalizer::BandCentre(k, round % 2 ? 44100 : 8000);
        ASSERT_NEAR(eq.ResponseDb(ch, f), Equalizer::GainDb(g[ch * 32 + k]), 0.1)
            << "round " << round << " channel " << ch << " band " << k;
      }
  }
}
