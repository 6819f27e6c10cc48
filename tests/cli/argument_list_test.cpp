#include <gtest/gtest.h>

#include "cli/command.h"

namespace brambel::cli {
namespace {

TEST(ArgumentList, TakesOptionsInBothFormsAndLeavesPositionals) {
  ArgumentList args({"--max", "5", "page.html", "--param=a=b", "--param", "c=d", "--nested"});
  EXPECT_TRUE(args.flag("nested"));
  EXPECT_EQ(args.number("max"), 5);
  EXPECT_EQ(args.options("param"), (std::vector<std::string>{"a=b", "c=d"}));
  EXPECT_EQ(args.positionals(), std::vector<std::string>{"page.html"});
  EXPECT_EQ(args.error(), "");
}

TEST(ArgumentList, ReportsUnknownOptionsMissingValuesAndBadNumbers) {
  ArgumentList unknown({"--frobnicate", "x"});
  unknown.positionals();
  EXPECT_EQ(unknown.error(), "unknown option --frobnicate");

  ArgumentList missing({"--max"});
  EXPECT_FALSE(missing.option("max"));
  EXPECT_NE(missing.error(), "");

  ArgumentList negative({"--max", "-3"});
  EXPECT_FALSE(negative.number("max"));
  EXPECT_NE(negative.error(), "");
}

TEST(ArgumentList, DoubleDashEndsOptions) {
  ArgumentList args({"--", "--nested", "-x"});
  EXPECT_FALSE(args.flag("nested"));
  EXPECT_EQ(args.positionals(), (std::vector<std::string>{"--nested", "-x"}));
  EXPECT_EQ(args.error(), "");
}

}  // namespace
}  // namespace brambel::cli
