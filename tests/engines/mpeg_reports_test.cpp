// The MPEG engine's reports for the decoder library's notifications.
#include "engines/mpeg_reports.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace sd {
namespace {

struct Recorder {
  std::vector<std::string> log;
  MpegReports reports{[this](const char* k, int32_t v) { log.push_back(std::string(k) + " " + std::to_string(v)); }};
  void Note(int32_t code, std::vector<uint8_t> data) {
    data.resize(12);
    reports.OnNote(code, data.data());
  }
  void Duration(int32_t seconds) {
    uint8_t d[12] = {};
    std::memcpy(d, &seconds, 4);
    reports.OnNote(111, d);
  }
};

TEST(MpegReports, TimeCodesStatesAndErrors) {
  Recorder r;
  r.Note(87, {1, 2, 3});
  r.Note(78, {1});
  r.Note(78, {2});
  EXPECT_TRUE(r.reports.Paused());
  r.Note(78, {1});
  EXPECT_FALSE(r.reports.Paused());
  r.Note(78, {9});      // unknown state: nothing
  r.Note(75, {7});      // warnings: nothing
  r.Note(75, {8});
  r.Note(75, {3});
  r.Note(78, {0});
  r.Duration(245);
  EXPECT_EQ(r.log, (std::vector<std::string>{"%Time 3723", "%Status 1", "%Status 2", "%Status 1", "%Status 4",
                                             "%Status 0", "%TotalTime 245"}));
}

TEST(MpegReports, DrainCountsToTheEnd) {
  Recorder r;
  r.Duration(103);
  r.Note(87, {0, 1, 40});  // 100 s
  r.log.clear();
  r.Note(78, {3});  // all decoded, the output drains
  EXPECT_TRUE(r.reports.TimerWanted());
  r.reports.OnTick();
  r.reports.OnTick();
  r.reports.OnTick();
  EXPECT_FALSE(r.reports.TimerWanted());
  r.reports.OnTick();  // the timer is off: nothing more
  EXPECT_EQ(r.log, (std::vector<std::string>{"%Status 1", "%Time 101", "%Time 102", "%Status 0"}));
}

TEST(MpegReports, DrainPastTheTotalEndsAtTheFirstTick) {
  Recorder r;
  r.Duration(50);
  r.Note(87, {0, 0, 55});
  r.Note(78, {3});
  r.log.clear();
  r.reports.OnTick();
  EXPECT_EQ(r.log, std::vector<std::string>{"%Status 0"});
}

TEST(MpegReports, SeekBeforeTheDurationKnowsZero) { EXPECT_EQ(Recorder().reports.TotalTime(), 0); }

}  // namespace
}  // namespace sd
