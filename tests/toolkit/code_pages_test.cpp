#include "toolkit/code_pages.h"

#include <gtest/gtest.h>

namespace brambel {
namespace {

TEST(FindCharset, FindsTheDeclaredName) {
  EXPECT_EQ(findCharset("text/html; charset=ISO-8859-2"), "ISO-8859-2");
  EXPECT_EQ(findCharset("<meta http-equiv=\"Content-Type\" content=\"text/html; CHARSET=shift_jis\">"), "shift_jis");
  EXPECT_EQ(findCharset("<meta charset=\"utf-8\">"), "utf-8");
  EXPECT_EQ(findCharset("<meta charset='koi8-r' >"), "koi8-r");
  EXPECT_EQ(findCharset("a=b; charset=; charset=utf-8"), "");
  EXPECT_EQ(findCharset("no declaration"), "");
  EXPECT_EQ(findCharset(u"text/xml;charset=windows-1251\""), u"windows-1251");
  EXPECT_EQ(findCharset(std::u16string(u"=charset")), u"");
}

TEST(CodePageForCharset, ExactNamesThenWindowsThenIso) {
  const std::pair<const char*, int> expected[] = {
      {"utf-8", 65001},        {"UTF-8", 65001},       {"Shift_JIS", 932},   {"shift-jis", 932},
      {"x-sjis", 932},         {"EUC-JP", 51932},      {"euc-kr", 949},      {"BIG5", 10002},
      {"gb2312", 20936},       {"windows-1251", 1251}, {"x-windows-874", 874}, {"ISO-8859-1", 1252},
      {"iso-8859-2", 28592},   {"iso-8859-15", 1252},  {"latin-iso-8859-7x", 28597},
      {"koi8-r", -1},          {"utf8", -1},           {"", -1},
      {"windows-99999999999", -1}};
  for (const auto& [name, codePage] : expected) EXPECT_EQ(codePageForCharset(name), codePage) << name;
}

struct RoundTrip {
  int codePage;
  std::string bytes;
  std::u16string text;
};

class CodePageRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(CodePageRoundTrip, ConvertsBothWays) {
  const RoundTrip& sample = GetParam();
  EXPECT_EQ(toWide(sample.bytes, sample.codePage), sample.text);
  EXPECT_EQ(toNarrow(sample.text, sample.codePage), sample.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, CodePageRoundTrip,
    ::testing::Values(RoundTrip{932, "\x93\xfa\x96\x7b\x8c\xea", u"\u65E5\u672C\u8A9E"},          // Shift_JIS
                      RoundTrip{51932, "\xc6\xfc\xcb\xdc\xb8\xec", u"\u65E5\u672C\u8A9E"},        // EUC-JP
                      RoundTrip{10002, "\xa4\xa4\xa4\xe5", u"\u4E2D\u6587"},                      // Big5
                      RoundTrip{20936, "\xd6\xd0\xce\xc4", u"\u4E2D\u6587"},                      // GB2312
                      RoundTrip{949, "\xc7\xd1\xb1\xb9", u"\uD55C\uAD6D"},                        // Korean
                      RoundTrip{1252, "caf\xe9 \x80 \x93q\x94", u"caf\u00E9 \u20AC \u201Cq\u201D"},
                      RoundTrip{28592, "\xa3\xf3" "d\xbc", u"\u0141\u00F3d\u017A"},                  // ISO-8859-2
                      RoundTrip{1251, "\xcf\xf0\xe8\xe2\xe5\xf2", u"\u041F\u0440\u0438\u0432\u0435\u0442"},
                      RoundTrip{65001, "\xe2\x82\xac\xf0\x9f\x98\x80", u"\u20AC\U0001F600"},
                      RoundTrip{0, "\xc3\xa9", u"\u00E9"}));

TEST(ToWide, InvalidBytesBecomeReplacementCharacters) {
  EXPECT_EQ(toWide("a\xff" "b", 65001), u"a\uFFFDb");
  EXPECT_EQ(toWide("a\xe2\x82", 65001), u"a\uFFFD");  // a cut-off sequence is one character
  EXPECT_EQ(toWide("\xed\xa0\x80", 0), u"\uFFFD\uFFFD\uFFFD");  // no surrogates from UTF-8
  EXPECT_EQ(toWide("", 932), u"");
  EXPECT_EQ(toWide(std::string("a\0b", 3), 1252), std::u16string(u"a\0b", 3));
}

TEST(ToWide, UnknownCodePageReadsAsUtf8) {
  EXPECT_EQ(toWide("caf\xc3\xa9", 12345), u"caf\u00E9");
  EXPECT_EQ(toWide("caf\xc3\xa9", -7), u"caf\u00E9");
}

TEST(ToNarrow, UnmappableCharactersBecomeQuestionMarksUnknownPageGivesNothing) {
  EXPECT_EQ(toNarrow(u"a\u65E5b", 1252), "a?b");
  EXPECT_EQ(toNarrow(u"a\xD800" u"b\xDC00", 65001), "a?b?");
  EXPECT_EQ(toNarrow(u"abc", 12345), "");
  EXPECT_EQ(toNarrow(u"", 65001), "");
}

TEST(CharToBytes, OneCharacterInTheCodePage) {
  EXPECT_EQ(charToBytes(u'\u00E9', 1252), "\xe9");
  EXPECT_EQ(charToBytes(u'\u00E9', 65001), "\xc3\xa9");
  EXPECT_EQ(charToBytes(u'\u65E5', 932), "\x93\xfa");
  EXPECT_EQ(charToBytes(u'A', 20936), "A");
  EXPECT_EQ(charToBytes(u'\xD83D', 65001), "?");  // half a character cannot be written
  EXPECT_EQ(charToBytes(u'A', 12345), "");
}

// Long enough samples for the detector to be sure.
std::string repeated(const std::string& sentence) {
  std::string text;
  for (int i = 0; i < 20; ++i) text += sentence;
  return text;
}

TEST(DetectCodePage, RecognisesClearSamples) {
  std::u16string japanese =
      u"\u65E5\u672C\u8A9E\u306E\u6587\u7AE0\u3067\u3059\u3002\u3053\u308C\u306F\u30C6\u30B9\u30C8\u3067\u3059\u3002";
  std::u16string chinese = u"\u8FD9\u662F\u4E00\u4E2A\u4E2D\u6587\u7F51\u9875\uFF0C\u6211\u4EEC\u5728\u6D4B\u8BD5\u3002";
  EXPECT_EQ(detectCodePage(repeated(toNarrow(japanese, 932))), 932);
  EXPECT_EQ(detectCodePage(repeated(toNarrow(japanese, 51932))), 51932);
  EXPECT_EQ(detectCodePage(repeated("Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln, \xe2\x82\xac 5. ")), 65001);
  int chineseCodePage = detectCodePage(repeated(toNarrow(chinese, 20936)));
  EXPECT_TRUE(chineseCodePage == 20936 || chineseCodePage == 54936) << chineseCodePage;
  EXPECT_EQ(detectCodePage(""), -1);
}

TEST(ToWide, DetectsTheCodePageWhenAskedTo) {
  std::u16string japanese = u"\u65E5\u672C\u8A9E\u306E\u6587\u7AE0\u3067\u3059\u3002";
  std::string bytes = toNarrow(japanese, 932);
  std::u16string wide = toWide(repeated(bytes), kCodePageDetect);
  EXPECT_EQ(wide.substr(0, japanese.size()), japanese);
  EXPECT_EQ(toWide("plain ascii", kCodePageDetect), u"plain ascii");
}

}  // namespace
}  // namespace brambel
