#include "toolkit/http_date.h"

#include <gtest/gtest.h>

namespace brambel {
namespace {

constexpr std::uint32_t kNovember6th1994 = 784111777;

TEST(ParseHttpDate, ReadsAllThreeLayouts) {
  EXPECT_EQ(parseHttpDate(u"Sun, 06 Nov 1994 08:49:37 GMT"), kNovember6th1994);
  EXPECT_EQ(parseHttpDate(u"Sunday, 06-Nov-94 08:49:37 GMT"), kNovember6th1994);
  EXPECT_EQ(parseHttpDate(u"Sun Nov  6 08:49:37 1994"), kNovember6th1994);
  EXPECT_EQ(parseHttpDate(u"Sun Nov 6 08:49:37 1994"), kNovember6th1994);
}

TEST(ParseHttpDate, CaseZoneAndSurroundingTextAreIgnored) {
  EXPECT_EQ(parseHttpDate(u"Last-Modified: SUN, 06 NOV 1994 08:49:37 +0200 (CEST)"), kNovember6th1994);
  EXPECT_EQ(parseHttpDate(u"Sun, 06 Nov 1994 08:49 GMT"), kNovember6th1994 - 37);
  EXPECT_EQ(parseHttpDate(u"Sun, 06 Nov 1994 08:4937"), kNovember6th1994);
}

TEST(ParseHttpDate, TwoDigitYearsSplitAt30) {
  EXPECT_EQ(parseHttpDate(u"Friday, 01-Jan-29 00:00:00 GMT"), 1861920000u);
  EXPECT_EQ(parseHttpDate(u"Thursday, 01-Jan-70 00:00:01 GMT"), 1u);
  EXPECT_EQ(parseHttpDate(u"Wednesday, 01-Jan-30 00:00:00 GMT"), 0u);  // 1930 predates the date fields
}

TEST(ParseHttpDate, LeapDaysAndTheEndOfTheRange) {
  EXPECT_EQ(parseHttpDate(u"Tue, 29 Feb 2000 12:00:00 GMT"), 951825600u);
  EXPECT_EQ(parseHttpDate(u"Sun, 07 Feb 2106 06:28:15 GMT"), 4294967295u);
  EXPECT_EQ(parseHttpDate(u"Sun, 07 Feb 2106 06:28:16 GMT"), 0u);
}

TEST(ParseHttpDate, ImpossibleOrMissingDatesGiveZero) {
  EXPECT_EQ(parseHttpDate(u""), 0u);
  EXPECT_EQ(parseHttpDate(u"yesterday"), 0u);
  EXPECT_EQ(parseHttpDate(u"Sun, 00 Nov 1994 08:49:37 GMT"), 0u);
  EXPECT_EQ(parseHttpDate(u"Sun, 31 Nov 1994 08:49:37 GMT"), 0u);
  EXPECT_EQ(parseHttpDate(u"Mon, 29 Feb 1999 08:49:37 GMT"), 0u);
  EXPECT_EQ(parseHttpDate(u"Sun, 06 Nov 1994 24:00:00 GMT"), 0u);
  EXPECT_EQ(parseHttpDate(u"Sun, 6 Nov 1994 08:49:37 GMT"), 0u);  // this layout wants two day digits
  EXPECT_EQ(parseHttpDate(u"Sun, 06 \u017Fep 1994 08:49:37 GMT"), 0u);  // the long s folds to "s" but is no month
}

TEST(FormatHttpDate, WritesTheFirstLayoutAndParsesBack) {
  EXPECT_EQ(formatHttpDate(kNovember6th1994), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(formatHttpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
  EXPECT_EQ(formatHttpDate(951825600u), "Tue, 29 Feb 2000 12:00:00 GMT");
  EXPECT_EQ(formatHttpDate(4294967295u), "Sun, 07 Feb 2106 06:28:15 GMT");
  for (std::uint32_t seconds : {1u, 68169600u, 1234567890u, 2000000000u, 4000000000u}) {
    std::string text = formatHttpDate(seconds);
    EXPECT_EQ(parseHttpDate(std::u16string(text.begin(), text.end())), seconds) << text;
  }
}

TEST(ParseHttpDate, BrokenUtf16IsNoDateAndNoException) {
  std::u16string text = u"Sun, 06 Nov 1994 08:49:37 GMT";
  text.insert(text.begin(), static_cast<char16_t>(0xD800));
  EXPECT_EQ(parseHttpDate(text), 0u);
  EXPECT_EQ(parseHttpDate(std::u16string(1, static_cast<char16_t>(0xDC00))), 0u);
}

}  // namespace
}  // namespace brambel
