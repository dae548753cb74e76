// Date and time stamps in the listing and the elapsed time of a run.
#include <chrono>
#include <ctime>
#include <string>

#include "scan/helpers.hpp"
#include "support/format.hpp"

namespace korva {

namespace {

void list_date_and_time(Run& run, const CivilTime& now) {
  run.list(X(31) + "Date: " + I(now.day, 2) + " . " + I(now.month, 2) + " . " + I(now.year % 100, 2));
  run.list(X(31) + "Time: " + I(now.hour, 2) + " . " + I(now.minute, 2) + " . " + I(now.second, 2));
}

int seconds_of_day(const CivilTime& t) { return t.second + 60 * t.minute + 3600 * t.hour; }

}  // namespace

void zeit_at(Run& run, const CivilTime& now, double clock_seconds) {
  Clock& clock = run.clock;
  if (!clock.started) {
    list_date_and_time(run, now);
    clock.day = now.day;
    clock.seconds_of_day = seconds_of_day(now);
    clock.wall_start = clock_seconds;
    clock.started = true;
    return;
  }
  // The day of the month went down: a new month began, and the day count
  // below would be wrong.  Stamp the date again instead.
  if (now.day < clock.day) {
    list_date_and_time(run, now);
    return;
  }
  // Hours, minutes and seconds all come from the one clock difference: taking
  // the whole minutes from the civil seconds and the rest from the clock
  // could print a negative number of seconds (59.7 s as 1 minute -0.3).
  const int days = now.day - clock.day;
  double elapsed = clock_seconds - clock.wall_start + days * 86400.0;
  if (elapsed < 0.0) elapsed = 0.0;
  const int hours = static_cast<int>(elapsed / 3600.0);
  const int minutes = static_cast<int>((elapsed - 3600.0 * hours) / 60.0);
  const double seconds = elapsed - (60.0 * minutes + 3600.0 * hours);
  run.list("");
  run.list(" CPU-time since program start:" + I(hours, 3) + X(2) + "hours" + I(minutes, 5) + X(2) +
           "minutes" + F(seconds, 7, 2) + X(2) + "seconds");
}

void zeit_(Run& run) {
  // One reading gives both the date and the clock, so the two never
  // disagree about the second.  The clock is the local time of day.
  const auto now = std::chrono::system_clock::now();
  const std::time_t whole = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &whole);
#else
  localtime_r(&whole, &local);
#endif
  double fraction =
      std::chrono::duration<double>(now - std::chrono::system_clock::from_time_t(whole)).count();
  if (fraction < 0.0) fraction = 0.0;  // to_time_t may round instead of truncating

  CivilTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  zeit_at(run, t, seconds_of_day(t) + fraction);
}

}  // namespace korva
