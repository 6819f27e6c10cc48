#include "search/category_counts.h"

#include <gtest/gtest.h>

namespace brambel {
namespace {

TEST(CountCaption, SingularPluralAndTheDisplayLimit) {
  EXPECT_EQ(CountCaption(0, 200), u"");
  EXPECT_EQ(CountCaption(1, 200), u"1 entry found in library");
  EXPECT_EQ(CountCaption(199, 200), u"199 entries found in library");
  EXPECT_EQ(CountCaption(200, 200), u"200+ entries found in library");
}

}  // namespace
}  // namespace brambel
