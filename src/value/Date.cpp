// Dates as the day count from 1899-12-30 with the time of day as fraction. A negative count
// keeps its time as a positive fraction away from zero: -1.25 is 1899-12-29 06:00.

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "value/Date.h"
#include "value/Text.h"
#include "value/Variant.h"

namespace kv {

namespace {

// Proleptic Gregorian calendar conversions (days relative to 1970-01-01).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

const int64_t kEpoch = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool ReadDigits(const std::string& s, size_t pos, size_t count, int& out) {
    out = 0;
    for (size_t k = pos; k < pos + count; ++k) {
        if (s[k] < '0' || s[k] > '9') {
            return false;
        }
        out = out * 10 + (s[k] - '0');
    }
    return true;
}

}  // namespace

// Months and days outside their range carry over: months beyond 12 into the year (month 13 is
// January of the next year), day 0 is the last day of the previous month. Years are taken as
// given.
double DateSerial(int year, int month, int day) {
    int64_t m0 = static_cast<int64_t>(month) - 1;
    int64_t yearShift = m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
    m0 -= yearShift * 12;
    const int64_t first = DaysFromCivil(year + yearShift, static_cast<int>(m0) + 1, 1);
    return static_cast<double>(first + day - 1 - kEpoch);
}

double TimeSerial(int hour, int minute, int second) {
    return (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

bool IsDateInRange(double days) {
    return days >= -657434.0 && days < 2958466.0;
}

DateParts SplitDate(double days) {
    // Only the dates that the Date type holds have parts; any other count is an overflow as in
    // CDate.
    if (!IsDateInRange(days))
        throw VbError(VbErr::Overflow, "date out of range");
    const double whole = std::trunc(days);
    auto day = static_cast<int64_t>(whole);
    auto seconds = static_cast<int64_t>(std::llround(std::fabs(days - whole) * 86400.0));
    if (seconds >= 86400) {
        seconds -= 86400;
        day += days < 0 ? -1 : 1;
    }
    DateParts p{};
    CivilFromDays(day + kEpoch, p.year, p.month, p.day);
    p.hour = static_cast<int>(seconds / 3600);
    p.minute = static_cast<int>(seconds / 60 % 60);
    p.second = static_cast<int>(seconds % 60);
    return p;
}

std::string DateToIsoText(double days) {
    const DateParts p = SplitDate(days);
    char buf[48];
    if (p.hour == 0 && p.minute == 0 && p.second == 0) {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", p.year, p.month, p.day);
    } else {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                      p.hour, p.minute, p.second);
    }
    return buf;
}

// Accepts "YYYY-MM-DD" and "YYYY-MM-DD HH:MM:SS" ('T' also separates date and time) for the
// years 100 to 9999 that a Date holds.
std::optional<double> ParseIsoDate(const std::string& text) {
    const std::string s(Trim(text, " \t"));
    if (s.size() != 10 && s.size() != 19) {
        return std::nullopt;
    }
    int y, mo, d, h = 0, mi = 0, sec = 0;
    if (s[4] != '-' || s[7] != '-' || !ReadDigits(s, 0, 4, y) || !ReadDigits(s, 5, 2, mo) ||
        !ReadDigits(s, 8, 2, d)) {
        return std::nullopt;
    }
    if (s.size() == 19 &&
        ((s[10] != ' ' && s[10] != 'T') || s[13] != ':' || s[16] != ':' ||
         !ReadDigits(s, 11, 2, h) || !ReadDigits(s, 14, 2, mi) || !ReadDigits(s, 17, 2, sec))) {
        return std::nullopt;
    }
    if (y < 100 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h > 23 || mi > 59 ||
        sec > 59) {
        return std::nullopt;
    }
    const double date = DateSerial(y, mo, d);
    const double time = TimeSerial(h, mi, sec);
    return date >= 0 ? date + time : date - time;
}

int64_t WallClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int64_t LocalOffsetMs(int64_t utcMs) {
    // localtime_r applies the rules that tzset read; unlike a conversion that calls tzset (or
    // localtime, mktime) each time, it does not look at the zone's file again.
    static const bool zoneRead = (tzset(), true);
    (void)zoneRead;
    const auto seconds = static_cast<time_t>(utcMs >= 0 ? utcMs / 1000 : (utcMs - 999) / 1000);
    std::tm parts{};
    if (localtime_r(&seconds, &parts) == nullptr)
        return 0;
    return static_cast<int64_t>(parts.tm_gmtoff) * 1000;
}

}  // namespace kv
