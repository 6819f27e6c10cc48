#include <gtest/gtest.h>

#include "tests/support/process.h"

namespace brambel::testing {
namespace {

TEST(Program, HelpListsCommandsAndUnknownCommandsFail) {
  auto help = runCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: brambel-cli"), std::string::npos);

  auto unknown = runCli({"no-such-command"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("unknown command"), std::string::npos);

  auto badGlobal = runCli({"--bogus", "inspect"});
  EXPECT_EQ(badGlobal.status, 2);
}

}  // namespace
}  // namespace brambel::testing
