#include "toolkit/url_codec.h"

#include <gtest/gtest.h>

namespace brambel {
namespace {

TEST(EncodeUrl, FormStyleEscapes) {
  EXPECT_EQ(encodeUrl(u"rock & roll", 65001), u"rock+%26+roll");
  EXPECT_EQ(encodeUrl(u"\"%&+,/:=?", 65001), u"%22%25%26%2b%2c%2f%3a%3d%3f");
  // Characters outside the nine pass unchanged, even where a URL would object.
  EXPECT_EQ(encodeUrl(u"a#b;c<d>e\t~", 65001), u"a#b;c<d>e\t~");
}

TEST(EncodeUrl, NonAsciiBecomesTheBytesOfTheCodePage) {
  EXPECT_EQ(encodeUrl(u"caf\u00E9", 1252), u"caf%e9");
  EXPECT_EQ(encodeUrl(u"caf\u00E9", 65001), u"caf%c3%a9");
  EXPECT_EQ(encodeUrl(u"caf\u00E9", 0), u"caf%c3%a9");
  EXPECT_EQ(encodeUrl(u"\u65E5\u672C", 932), u"%93%fa%96%7b");
  EXPECT_EQ(encodeUrl(u"\u65E5\u672C", 51932), u"%c6%fc%cb%dc");
  // A character outside the basic plane is one character, not two halves.
  EXPECT_EQ(encodeUrl(u"\U0001F600", 65001), u"%f0%9f%98%80");
  // What the code page cannot hold becomes "?".
  EXPECT_EQ(encodeUrl(u"\u65E5", 1252), u"%3f");
}

TEST(EncodeUrl, UnknownCodePageDropsTheCharacterLoneSurrogateIsUnmappable) {
  EXPECT_EQ(encodeUrl(u"a\u00E9b", 12345), u"ab");
  EXPECT_EQ(encodeUrl(u"a\xD800" u"b", 65001), u"a%3fb");
}

TEST(DecodeUrl, PlusAndPercentEscapes) {
  EXPECT_EQ(decodeUrl(u"%41+b%2fc"), u"A b/c");
  EXPECT_EQ(decodeUrl(u"%4g"), u"\x04g");  // one hex digit is enough
  EXPECT_EQ(decodeUrl(u"100%"), u"100");
  EXPECT_EQ(decodeUrl(u"%%41"), u"A");
  EXPECT_EQ(decodeUrl(u"%zz"), u"zz");
  // Bytes are not reassembled into characters.
  EXPECT_EQ(decodeUrl(u"%C3%A9"), u"\u00C3\u00A9");
  EXPECT_EQ(decodeUrl(u"%414"), u"A4");
}

TEST(UrlCodec, DecodingUndoesEncodingOfLatinText) {
  std::u16string text = u"Q&A: 50% off, 1+1=2? /path \u00E9\u00FF";
  EXPECT_EQ(decodeUrl(encodeUrl(text, 1252)), text);
}

}  // namespace
}  // namespace brambel
