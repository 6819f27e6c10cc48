#include "toolkit/guarded_regex.h"

#include <gtest/gtest.h>

namespace brambel {
namespace {

// A pattern with nested repeats backtracks without end on a long text that
// almost matches; the engine gives up by throwing.
const boost::regex& explosive() {
  static const boost::regex pattern("(a+)+b", boost::regex::perl);
  return pattern;
}

TEST(GuardedRegex, AnEngineThatGivesUpMeansNoMatch) {
  std::string hostile(2000, 'a');
  boost::smatch match;
  ASSERT_THROW(boost::regex_search(hostile, match, explosive()), std::runtime_error);
  EXPECT_FALSE(guardedSearch(hostile, match, explosive()));
  EXPECT_FALSE(guardedMatch(hostile, match, explosive()));
  int visits = 0;
  guardedForEachMatch("ab " + hostile, explosive(), [&](const boost::smatch&) { return ++visits, true; });
  EXPECT_EQ(visits, 1);  // the match before the hostile run is still seen
}

TEST(GuardedRegex, FindsOrdinaryMatches) {
  boost::smatch match;
  ASSERT_TRUE(guardedSearch(std::string("x aab y"), match, explosive()));
  std::vector<std::string> found;
  guardedForEachMatch("ab aab b", explosive(), [&](const boost::smatch& m) {
    found.push_back(m.str());
    return found.size() < 2;
  });
  EXPECT_EQ(found, (std::vector<std::string>{"ab", "aab"}));
}

TEST(GuardedRegex, ALoneSurrogateIsNoMatchRatherThanAnException) {
  static const boost::u32regex pattern = boost::make_u32regex(std::string("z"));
  U16Match match;
  std::u16string broken = u"abc";
  broken += static_cast<char16_t>(0xD800);
  EXPECT_FALSE(guardedSearch(broken, match, pattern));
  EXPECT_TRUE(guardedSearch(std::u16string(u"xyz"), match, pattern));
}

}  // namespace
}  // namespace brambel
