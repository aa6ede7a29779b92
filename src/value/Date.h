#pragma once
// Dates as the day count from 1899-12-30 with the time of day as fraction.

#include <cstdint>
#include <optional>
#include <string>

namespace kv {

double DateSerial(int year, int month, int day);
double TimeSerial(int hour, int minute, int second);
struct DateParts {
    int year, month, day, hour, minute, second;
};
// The parts of a day count; raises Overflow for a count that IsDateInRange refuses.
DateParts SplitDate(double days);
// True for the day counts that the Date type holds (100-01-01 to 9999-12-31); false for any
// other, infinities and NaN included.
bool IsDateInRange(double days);
// ISO text "YYYY-MM-DD HH:MM:SS" (the time is left out when it is midnight).
std::string DateToIsoText(double days);
// The day count of an ISO text "YYYY-MM-DD" with an optional time "HH:MM:SS"; nullopt for any
// other text.
std::optional<double> ParseIsoDate(const std::string& text);

// The wall clock: milliseconds since 1970-01-01 00:00 UTC.
int64_t WallClockMs();
// How far local time is ahead of UTC at that instant (milliseconds since 1970-01-01 00:00 UTC),
// in milliseconds: the time zone's rules for each instant, its summer time included. The zone is
// read at the first call only.
int64_t LocalOffsetMs(int64_t utcMs);

}  // namespace kv
