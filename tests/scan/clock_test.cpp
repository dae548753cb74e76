#include <string>

#include <gtest/gtest.h>

#include "scan/helpers.hpp"

namespace korva {
namespace {

struct Listing {
  Io io;
  Run run{io};
  Listing() { io.listing.open_memory(); }
  std::string text() const { return io.listing.text(); }
};

CivilTime at(int year, int month, int day, int hour, int minute, int second) {
  CivilTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

const std::string kIndent(31, ' ');

TEST(Clock, FirstCallOfARunStampsDateAndTime) {
  Listing l;
  zeit_at(l.run, at(2026, 3, 14, 9, 5, 7), 32707.25);
  EXPECT_EQ(l.text(), kIndent + "Date: 14 .  3 . 26\n" + kIndent + "Time:  9 .  5 .  7\n");
  EXPECT_TRUE(l.run.clock.started);

  Listing y2k;
  zeit_at(y2k.run, at(2005, 12, 1, 23, 59, 0), 0.0);
  EXPECT_EQ(y2k.text(), kIndent + "Date:  1 . 12 .  5\n" + kIndent + "Time: 23 . 59 .  0\n");
}

TEST(Clock, SecondCallWithinTheSameSecondGivesTheClockDifference) {
  Listing l;
  zeit_at(l.run, at(2026, 3, 14, 12, 34, 56), 45296.25);
  const std::string stamp = l.text();
  zeit_at(l.run, at(2026, 3, 14, 12, 34, 56), 45296.62);
  EXPECT_EQ(l.text(), stamp + "\n CPU-time since program start:  0  hours    0  minutes   0.37  seconds\n");
}

TEST(Clock, ElapsedTimeSplitsIntoHoursMinutesAndSeconds) {
  Listing l;
  zeit_at(l.run, at(2026, 3, 14, 10, 0, 0), 36000.25);
  zeit_at(l.run, at(2026, 3, 14, 11, 2, 3), 39723.75);
  zeit_at(l.run, at(2026, 3, 14, 23, 0, 0), 82800.25);
  const std::string text = l.text();
  const std::string expected_tail =
      "\n CPU-time since program start:  1  hours    2  minutes   3.50  seconds\n"
      "\n CPU-time since program start: 13  hours    0  minutes   0.00  seconds\n";
  ASSERT_GE(text.size(), expected_tail.size());
  EXPECT_EQ(text.substr(text.size() - expected_tail.size()), expected_tail);
}

TEST(Clock, SecondsAreNeverNegativeAcrossAWholeSecond) {
  // 59.7 s that straddle a minute of the civil clock: 0 minutes 59.70 seconds.
  Listing l;
  zeit_at(l.run, at(2026, 3, 14, 10, 0, 0), 36000.9);
  zeit_at(l.run, at(2026, 3, 14, 10, 1, 0), 36060.6);
  EXPECT_NE(l.text().find(" CPU-time since program start:  0  hours    0  minutes  59.70  seconds\n"),
            std::string::npos)
      << l.text();
}

TEST(Clock, RunOverMidnightCountsTheDay) {
  Listing l;
  zeit_at(l.run, at(2026, 3, 14, 23, 59, 50), 86390.0);
  zeit_at(l.run, at(2026, 3, 15, 0, 0, 20), 20.5);
  const std::string tail = "\n CPU-time since program start:  0  hours    0  minutes  30.50  seconds\n";
  EXPECT_EQ(l.text().substr(l.text().size() - tail.size()), tail);
}

TEST(Clock, NewMonthStampsTheDateAgain) {
  Listing l;
  zeit_at(l.run, at(2026, 1, 31, 23, 0, 0), 82800.0);
  zeit_at(l.run, at(2026, 2, 1, 1, 30, 0), 5400.0);
  EXPECT_EQ(l.text(), kIndent + "Date: 31 .  1 . 26\n" + kIndent + "Time: 23 .  0 .  0\n" + kIndent +
                          "Date:  1 .  2 . 26\n" + kIndent + "Time:  1 . 30 .  0\n");
}

TEST(Clock, SystemClockStampsAndMeasures) {
  Listing l;
  zeit_(l.run);
  zeit_(l.run);
  const std::string text = l.text();
  // Two stamp lines, an empty line, and the elapsed time of a moment.
  const std::string date = kIndent + "Date: ";
  const std::string time = kIndent + "Time: ";
  ASSERT_EQ(text.compare(0, date.size(), date), 0) << text;
  const auto second_line = text.find('\n') + 1;
  EXPECT_EQ(text.compare(second_line, time.size(), time), 0) << text;
  const std::string elapsed = "\n\n CPU-time since program start:  0  hours    0  minutes   0.";
  EXPECT_NE(text.find(elapsed), std::string::npos) << text;
  EXPECT_EQ(text.size(), 2 * (31 + 18 + 1) + 1 + 70 + 1u) << text;
}

}  // namespace
}  // namespace korva
