#include <gtest/gtest.h>

#include "tests/support/process.h"

namespace brambel::testing {
namespace {

std::string output(const std::vector<std::string>& args, const std::string& input = "") {
  auto result = runCli(args, input);
  EXPECT_EQ(result.status, 0) << result.err;
  return result.out;
}

TEST(InspectTextUtils, EachCommandAppliesItsHelper) {
  EXPECT_EQ(output({"inspect", "entities", "caf&#233; &amp; &eacute;"}), "caf\xE9 & \n");
  EXPECT_EQ(output({"inspect", "strip", "<p>caf\xC3\xA9 <!-- x --><b>&amp;</b></p>"}), "caf\xC3\xA9 &\n");
  EXPECT_EQ(output({"inspect", "normalize", "  Don't \"stop\",  now!"}), "Dont \"stop\" now\n");
  EXPECT_EQ(output({"inspect", "normalize", "--quotes-separate", "\"stop\""}), "stop\n");
  EXPECT_EQ(output({"inspect", "encode-url", "caf\xC3\xA9 & co"}), "caf%c3%a9+%26+co\n");
  EXPECT_EQ(output({"inspect", "encode-url", "--codepage", "1252", "caf\xC3\xA9"}), "caf%e9\n");
  EXPECT_EQ(output({"inspect", "decode-url", "%41+b%"}), "A b\n");
  EXPECT_EQ(output({"inspect", "charset", "ISO-8859-2"}), "28592\n");
  EXPECT_EQ(output({"inspect", "charset", "koi8-r"}), "-1\n");
  EXPECT_EQ(output({"inspect", "date", "Sunday, 06-Nov-94 08:49:37 GMT"}), "784111777\n");
  EXPECT_EQ(output({"inspect", "date", "soon"}), "0\n");
}

TEST(InspectTextUtils, TextComesFromStandardInputWhenLeftOut) {
  EXPECT_EQ(output({"inspect", "strip"}, "<h1>Title</h1>\n<script>x()</script>"), "Title\n\n");
  EXPECT_EQ(output({"inspect", "date", "--", "-"}), "0\n");
}

TEST(InspectTextUtils, UsageErrorsExitTwoOtherFailuresOne) {
  auto extra = runCli({"inspect", "charset", "utf-8", "latin1"});
  EXPECT_EQ(extra.status, 2);
  EXPECT_NE(extra.err.find("usage: brambel-cli inspect charset"), std::string::npos);

  auto badNumber = runCli({"inspect", "encode-url", "--codepage", "x", "a"});
  EXPECT_EQ(badNumber.status, 2);

  auto unknownOption = runCli({"inspect", "strip", "--fast", "a"});
  EXPECT_EQ(unknownOption.status, 2);

  auto noConverter = runCli({"inspect", "encode-url", "--codepage", "12345", "a"});
  EXPECT_EQ(noConverter.status, 1);
  EXPECT_EQ(noConverter.err, "brambel-cli: no converter for code page 12345\n");
}

}  // namespace
}  // namespace brambel::testing
