#include "toolkit/blank_text.h"

#include <gtest/gtest.h>

namespace brambel {
namespace {

TEST(Trimmed, RemovesOnlyTheOuterBlanks) {
  EXPECT_EQ(trimmed(" \t\r\n a \n b \v\f"), "a \n b");
  EXPECT_EQ(trimmed(" \n\t "), "");
  EXPECT_EQ(trimmed("x\xA0"), "x\xA0");  // a byte above 127 is not a blank
  EXPECT_EQ(trimmed(u"\u00A0 x "), u"\u00A0 x");
}

}  // namespace
}  // namespace brambel
