#include "toolkit/json_writer.h"

#include <gtest/gtest.h>

namespace brambel {
namespace {

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharacters) {
  EXPECT_EQ(jsonString("a\"b\\c"), R"("a\"b\\c")");
  EXPECT_EQ(jsonString("\n\r\t\b\f"), R"("\n\r\t\b\f")");
  EXPECT_EQ(jsonString(std::string("\x01\x1f\x7f", 3)), R"("\u0001\u001f\u007f")");
  EXPECT_EQ(jsonString(std::string("a\0b", 3)), R"("a\u0000b")");
  EXPECT_EQ(jsonString(""), R"("")");
}

TEST(JsonWriter, KeepsWellFormedUtf8) {
  std::string text = "caf\xC3\xA9 \xE2\x80\x99 \xF0\x9F\x98\x80";
  EXPECT_EQ(jsonString(text), "\"" + text + "\"");
}

TEST(JsonWriter, ReplacesEachIllFormedSequenceByOneReplacementCharacter) {
  const std::string kFffd = "\xEF\xBF\xBD";
  // A Latin-1 byte, a truncated sequence before ASCII, an overlong form, a
  // UTF-8 encoded surrogate and a code point above U+10FFFF.
  EXPECT_EQ(jsonString("caf\xE9"), "\"caf" + kFffd + "\"");
  EXPECT_EQ(jsonString("\xE2\x80x"), "\"" + kFffd + "x\"");
  EXPECT_EQ(jsonString("\xC0\xAF"), "\"" + kFffd + kFffd + "\"");
  EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"" + kFffd + kFffd + kFffd + "\"");
  EXPECT_EQ(jsonString("\xF4\x90\x80\x80"), "\"" + kFffd + kFffd + kFffd + kFffd + "\"");
  EXPECT_EQ(jsonString("\xE2\x80"), "\"" + kFffd + "\"");  // cut off at the end
}

TEST(JsonWriter, EncodesWideTextAndReplacesUnpairedSurrogates) {
  std::string out;
  appendJsonString(out, std::u16string(u"\u00e9\"") + char16_t(0xD83D) + char16_t(0xDE00) + char16_t(0xDC00));
  EXPECT_EQ(out, "\"\xC3\xA9\\\"\xF0\x9F\x98\x80\xEF\xBF\xBD\"");
}

TEST(JsonWriter, ObjectKeepsFieldOrderAndTypes) {
  std::vector<std::string> list{"x", "y\"z"};
  auto json = JsonObjectWriter()
                  .add("href", "http://a/?q=1&b")
                  .add("wide", std::u16string_view(u"w"))
                  .add("count", 3)
                  .add("big", 18446744073709551615ull)
                  .add("ok", true)
                  .add("sources", list)
                  .add("none", std::vector<std::string>{})
                  .addRaw("nested", "{}")
                  .str();
  EXPECT_EQ(json,
            R"({"href":"http://a/?q=1&b","wide":"w","count":3,"big":18446744073709551615,)"
            R"("ok":true,"sources":["x","y\"z"],"none":[],"nested":{}})");
  EXPECT_EQ(JsonObjectWriter().str(), "{}");
}

}  // namespace
}  // namespace brambel
