#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/support/process.h"

namespace brambel::testing {
namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(Program, HelpListsCommandsAndUnknownCommandsFail) {
  auto help = runCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(contains(help.out, "usage: brambel-cli [--connect-to HOST:PORT:HOST2:PORT2]... COMMAND\n"));
  EXPECT_TRUE(contains(help.out, "\n  inspect charset [NAME]\n")) << help.out;

  auto unknown = runCli({"no-such-command"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_TRUE(contains(unknown.err, "unknown command \"brambel-cli no-such-command\"")) << unknown.err;

  auto unknownInGroup = runCli({"inspect", "bogus"});
  EXPECT_EQ(unknownInGroup.status, 2);
  EXPECT_TRUE(contains(unknownInGroup.err, "unknown command \"brambel-cli inspect bogus\"")) << unknownInGroup.err;

  EXPECT_EQ(runCli({"--bogus", "inspect"}).status, 2);
  EXPECT_EQ(runCli({}).status, 2);
}

TEST(Program, EveryGroupAndCommandAnswersHelp) {
  for (const char* group : {"inspect", "index", "categories", "kv", "content", "sources"}) {
    auto help = runCli({group, "--help"});
    EXPECT_EQ(help.status, 0) << group << ": " << help.err;
    EXPECT_TRUE(contains(help.out, std::string("usage: brambel-cli ") + group + " COMMAND")) << help.out;
  }
  auto index = runCli({"index", "--help"});
  EXPECT_TRUE(contains(index.out, "add-batch")) << index.out;

  auto path = runCli({"inspect", "path", "--help"});
  EXPECT_EQ(path.status, 0);
  EXPECT_TRUE(contains(path.out, "usage: brambel-cli inspect path [--nested] [--end NAME] [--rest] [--attributes] "
                                 "PATH [FILE]"))
      << path.out;
  EXPECT_TRUE(contains(path.out, "--end NAME")) << path.out;
}

TEST(Program, ConnectToWithoutAValueSaysWhatIsMissing) {
  auto last = runCli({"--connect-to"});
  EXPECT_EQ(last.status, 2);
  EXPECT_TRUE(contains(last.err, "--connect-to: 1 required HOST:PORT:HOST2:PORT2 missing")) << last.err;

  // A command name where the value belongs is not taken for one.
  auto beforeCommand = runCli({"--connect-to", "inspect", "charset", "utf-8"});
  EXPECT_EQ(beforeCommand.status, 2);
  EXPECT_TRUE(contains(beforeCommand.err, "needs a value HOST:PORT:HOST2:PORT2, not \"inspect\"")) << beforeCommand.err;
}

TEST(Program, OneDashWordsAreWordsNotOptions) {
  auto date = runCli({"inspect", "decode-url", "-hen"});
  EXPECT_EQ(date.status, 0) << date.err;
  EXPECT_EQ(date.out, "-hen\n");
  auto extra = runCli({"inspect", "charset", "utf-8", "-x"});
  EXPECT_EQ(extra.status, 2);
  EXPECT_TRUE(contains(extra.err, "not expected: -x")) << extra.err;
}

// The README's command table lists what `brambel-cli --help` lists, row for row.
TEST(Program, ReadmeCommandTableMatchesHelp) {
  auto help = runCli({"--help"});
  ASSERT_EQ(help.status, 0);
  std::istringstream helpLines(help.out.substr(help.out.find("\ncommands:\n") + 11));
  std::string expected = "| command | what it does |\n|---|---|\n";
  for (std::string usage, summary; std::getline(helpLines, usage) && usage.rfind("  ", 0) == 0;) {
    std::getline(helpLines, summary);
    expected += "| `" + usage.substr(2) + "` | " + summary.substr(6) + " |\n";
  }

  std::ifstream file(BRAMBEL_SOURCE_DIR "/README.md");
  std::string readme((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const size_t start = readme.find("| command | what it does |\n");
  ASSERT_NE(start, std::string::npos);
  const size_t end = readme.find("\n\n", start);
  EXPECT_EQ(readme.substr(start, end + 1 - start), expected) << "the README's table should read:\n" << expected;
}

}  // namespace
}  // namespace brambel::testing
