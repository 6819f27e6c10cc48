#include "toolkit/http_date.h"

#include <array>
#include <boost/regex/icu.hpp>
#include <optional>

#include "toolkit/ascii_case.h"
#include "toolkit/guarded_regex.h"

namespace brambel {
namespace {

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 7> kWeekdays = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};  // from 1970-01-01

constexpr std::int64_t kSecondsPerDay = 86400;

struct DateFields {
  int year = 0;
  int month = 0;  // 0 to 11
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 1 && isLeapYear(year) ? 29 : kDays[month];
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
std::int64_t daysSinceEpoch(int year, int month, int day) {
  int m = month + 1;
  std::int64_t y = year - (m <= 2 ? 1 : 0);
  std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  std::int64_t yearOfEra = y - era * 400;
  std::int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// The fields name a real moment (a leap second is allowed and rolls over),
// representable in the 32-bit date fields; anything else reads as no date.
std::uint32_t secondsOf(const DateFields& date) {
  if (date.month < 0 || date.day < 1 || date.day > daysInMonth(date.year, date.month)) return 0;
  if (date.hour > 23 || date.minute > 59 || date.second > 60) return 0;
  std::int64_t seconds = daysSinceEpoch(date.year, date.month, date.day) * kSecondsPerDay + date.hour * 3600 +
                         date.minute * 60 + date.second;
  if (seconds <= 0 || seconds > UINT32_MAX) return 0;
  return static_cast<std::uint32_t>(seconds);
}

using Match = U16Match;

int number(const Match& match, int group) {
  int value = 0;
  for (auto it = match[group].first; it != match[group].second; ++it) value = value * 10 + (*it - u'0');
  return value;
}

// 0 to 11, or -1 for a name the expression let through by case folding
// beyond ASCII (the long s matches "s").
int monthIndex(const Match& match, int group) {
  std::u16string name(match[group].first, match[group].second);
  if (name.size() != 3) return -1;
  for (size_t i = 0; i < kMonths.size(); ++i) {
    const char* month = kMonths[i];
    if (asciiLower(name[0]) == asciiLower(month[0]) && asciiLower(name[1]) == month[1] &&
        asciiLower(name[2]) == month[2]) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// One way of writing a date: its expression and which group holds each field.
struct DateLayout {
  const char16_t* pattern;
  int day, month, year, hour, minute, second;  // group numbers; the weekday is group 1
  bool twoDigitYear;
};

constexpr std::array<DateLayout, 3> kLayouts{{
    // Sun, 06 Nov 1994 08:49:37 GMT (the seconds may be missing)
    {u"(mon|tue|wed|thu|fri|sat|sun), ([0-9]{2}) (jan|feb|mar|apr|may|jun|jul|aug|sep|oct|nov|dec) "
     u"([0-9]{4}) ([0-9]{2}):([0-9]{2}):?([0-9]{2})?",
     2, 3, 4, 5, 6, 7, false},
    // Sunday, 06-Nov-94 08:49:37 GMT
    {u"(monday|tuesday|wednesday|thursday|friday|saturday|sunday), ([0-9]{2})-"
     u"(jan|feb|mar|apr|may|jun|jul|aug|sep|oct|nov|dec)-([0-9]{2}) ([0-9]{2}):([0-9]{2}):([0-9]{2})",
     2, 3, 4, 5, 6, 7, true},
    // Sun Nov  6 08:49:37 1994
    {u"(mon|tue|wed|thu|fri|sat|sun) (jan|feb|mar|apr|may|jun|jul|aug|sep|oct|nov|dec) [ ]?([0-9]{1,2}) "
     u"([0-9]{2}):([0-9]{2}):([0-9]{2}) ([0-9]{4})",
     3, 2, 7, 4, 5, 6, false},
}};

const boost::u32regex& expressionOf(size_t layout) {
  static const std::array<boost::u32regex, kLayouts.size()> expressions = [] {
    std::array<boost::u32regex, kLayouts.size()> compiled;
    for (size_t i = 0; i < kLayouts.size(); ++i) {
      compiled[i] = boost::make_u32regex(reinterpret_cast<const UChar*>(kLayouts[i].pattern),
                                         boost::regex::perl | boost::regex::icase);
    }
    return compiled;
  }();
  return expressions[layout];
}

std::optional<DateFields> matchLayout(const std::u16string& text, size_t layoutIndex) {
  const DateLayout& layout = kLayouts[layoutIndex];
  Match match;
  if (!guardedSearch(text, match, expressionOf(layoutIndex))) return std::nullopt;
  DateFields date;
  date.year = number(match, layout.year);
  // Two-digit years before 30 are in this century.
  if (layout.twoDigitYear) date.year += date.year < 30 ? 2000 : 1900;
  date.month = monthIndex(match, layout.month);
  date.day = number(match, layout.day);
  date.hour = number(match, layout.hour);
  date.minute = number(match, layout.minute);
  date.second = match[layout.second].matched ? number(match, layout.second) : 0;
  return date;
}

void appendTwoDigits(std::string& out, int value) {
  out += static_cast<char>('0' + value / 10);
  out += static_cast<char>('0' + value % 10);
}

}  // namespace

std::uint32_t parseHttpDate(const std::u16string& text) {
  for (size_t layout = 0; layout < kLayouts.size(); ++layout) {
    // The first layout found decides, even when its date is not a real one.
    if (auto date = matchLayout(text, layout)) return secondsOf(*date);
  }
  return 0;
}

std::string formatHttpDate(std::uint32_t seconds) {
  std::int64_t days = seconds / kSecondsPerDay;
  int secondOfDay = static_cast<int>(seconds % kSecondsPerDay);
  // Civil date from a day count, the inverse of daysSinceEpoch.
  std::int64_t z = days + 719468;
  std::int64_t era = z / 146097;
  std::int64_t dayOfEra = z - era * 146097;
  std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  std::int64_t mp = (5 * dayOfYear + 2) / 153;
  int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  int month = static_cast<int>(mp < 10 ? mp + 2 : mp - 10);  // 0 to 11
  int year = static_cast<int>(yearOfEra + era * 400 + (month <= 1 ? 1 : 0));

  std::string out = kWeekdays[days % 7];
  out += ", ";
  appendTwoDigits(out, day);
  out += ' ';
  out += kMonths[month];
  out += ' ';
  out += std::to_string(year);
  out += ' ';
  appendTwoDigits(out, secondOfDay / 3600);
  out += ':';
  appendTwoDigits(out, secondOfDay / 60 % 60);
  out += ':';
  appendTwoDigits(out, secondOfDay % 60);
  out += " GMT";
  return out;
}

}  // namespace brambel
