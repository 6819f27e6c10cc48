#include "toolkit/http_date.h"

#include <array>
#include <boost/regex/icu.hpp>
#include <optional>

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
  if (date.day < 1 || date.day > daysInMonth(date.year, date.month)) return 0;
  if (date.hour > 23 || date.minute > 59 || date.second > 60) return 0;
  std::int64_t seconds = daysSinceEpoch(date.year, date.month, date.day) * kSecondsPerDay + date.hour * 3600 +
                         date.minute * 60 + date.second;
  if (seconds <= 0 || seconds > UINT32_MAX) return 0;
  return static_cast<std::uint32_t>(seconds);
}

using Match = boost::match_results<std::u16string::const_iterator>;

int number(const Match& match, int group) {
  int value = 0;
  for (auto it = match[group].first; it != match[group].second; ++it) value = value * 10 + (*it - u'0');
  return value;
}

int monthIndex(const Match& match, int group) {
  std::u16string name(match[group].first, match[group].second);
  for (char16_t& c : name) c = static_cast<char16_t>(c | 0x20);  // the pattern admits ASCII letters only
  for (size_t i = 0; i < kMonths.size(); ++i) {
    const char* month = kMonths[i];
    if (name[0] == (month[0] | 0x20) && name[1] == month[1] && name[2] == month[2]) return static_cast<int>(i);
  }
  return 0;
}

boost::u32regex datePattern(const char16_t* pattern) {
  return boost::make_u32regex(reinterpret_cast<const UChar*>(pattern), boost::regex::perl | boost::regex::icase);
}

std::optional<DateFields> matchRfc1123(const std::u16string& text) {
  static const boost::u32regex pattern = datePattern(
      u"(mon|tue|wed|thu|fri|sat|sun), ([0-9]{2}) (jan|feb|mar|apr|may|jun|jul|aug|sep|oct|nov|dec) "
      u"([0-9]{4}) ([0-9]{2}):([0-9]{2}):?([0-9]{2})?");
  Match match;
  if (!boost::u32regex_search(text.begin(), text.end(), match, pattern)) return std::nullopt;
  return DateFields{number(match, 4), monthIndex(match, 3), number(match, 2),
                    number(match, 5), number(match, 6), match[7].matched ? number(match, 7) : 0};
}

std::optional<DateFields> matchRfc850(const std::u16string& text) {
  static const boost::u32regex pattern = datePattern(
      u"(monday|tuesday|wednesday|thursday|friday|saturday|sunday), ([0-9]{2})-"
      u"(jan|feb|mar|apr|may|jun|jul|aug|sep|oct|nov|dec)-([0-9]{2}) ([0-9]{2}):([0-9]{2}):([0-9]{2})");
  Match match;
  if (!boost::u32regex_search(text.begin(), text.end(), match, pattern)) return std::nullopt;
  int shortYear = number(match, 4);
  int year = shortYear < 30 ? 2000 + shortYear : 1900 + shortYear;
  return DateFields{year, monthIndex(match, 3), number(match, 2),
                    number(match, 5), number(match, 6), number(match, 7)};
}

std::optional<DateFields> matchAsctime(const std::u16string& text) {
  static const boost::u32regex pattern = datePattern(
      u"(mon|tue|wed|thu|fri|sat|sun) (jan|feb|mar|apr|may|jun|jul|aug|sep|oct|nov|dec) [ ]?([0-9]{1,2}) "
      u"([0-9]{2}):([0-9]{2}):([0-9]{2}) ([0-9]{4})");
  Match match;
  if (!boost::u32regex_search(text.begin(), text.end(), match, pattern)) return std::nullopt;
  return DateFields{number(match, 7), monthIndex(match, 2), number(match, 3),
                    number(match, 4), number(match, 5), number(match, 6)};
}

void appendTwoDigits(std::string& out, int value) {
  out += static_cast<char>('0' + value / 10);
  out += static_cast<char>('0' + value % 10);
}

}  // namespace

std::uint32_t parseHttpDate(const std::u16string& text) {
  try {
    for (auto layout : {&matchRfc1123, &matchRfc850, &matchAsctime}) {
      // The first layout found decides, even when its date is not a real one.
      if (auto date = layout(text)) return secondsOf(*date);
    }
  } catch (const std::runtime_error&) {
    // The expression engine gave up on this text; it holds no date we can read.
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
