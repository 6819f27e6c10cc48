#include "toolkit/cookies.h"

#include <gtest/gtest.h>

namespace brambel {
namespace {

TEST(CollectCookies, TakesEachSetCookieLineUpToItsFirstSemicolon) {
  std::u16string cookies = u"stale=1;";
  collectCookies(u"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nContent-Type: text/html\r\n"
                 u"set-cookie:b=2\r\nSET-COOKIE: \tc=x;y=z; domain=q\r\n\r\n",
                 cookies);
  EXPECT_EQ(cookies, u"a=1;b=2;c=x;");
}

TEST(CollectCookies, HeadersWithoutCookiesLeaveItEmpty) {
  std::u16string cookies = u"old=1;";
  collectCookies(u"HTTP/1.1 200 OK\r\nX-Set-Cookie: no=1\r\nLink: <set-cookie:a=1>\r\n\r\n", cookies);
  EXPECT_EQ(cookies, u"");
  collectCookies(u"", cookies);
  EXPECT_EQ(cookies, u"");
}

TEST(MergeCookies, NewerValuesReplaceOlderOnes) {
  std::u16string collected = u"b=3;";
  mergeCookies(u"a=1; b=2; ", collected);
  EXPECT_EQ(collected, u"a=1; b=3; ");

  // A merged string merges again to itself.
  std::u16string again = u"";
  mergeCookies(collected, again);
  EXPECT_EQ(again, collected);
}

TEST(MergeCookies, SkipsPairsWithBlanksOrWithoutSemicolon) {
  std::u16string collected = u"c=has space; d=4;e=5";
  mergeCookies(u"a=1", collected);
  EXPECT_EQ(collected, u"d=4; ");
  std::u16string values = u"tok=a=b;";
  mergeCookies(u"", values);
  EXPECT_EQ(values, u"tok=a=b; ");
}

TEST(MergeCookies, KeepsNonAsciiValues) {
  std::u16string collected = u"n=\u00e9t\u00e9;";
  mergeCookies(u"", collected);
  EXPECT_EQ(collected, u"n=\u00e9t\u00e9; ");
}

}  // namespace
}  // namespace brambel
