// The search history and the saved terms, in memory and in their files.
#include "search/search_history.h"

#include <gtest/gtest.h>

#include "search/saved_terms.h"
#include "store/archive_collections.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;
using testing::readFileBytes;

TEST(SearchHistory, RepeatsCommandsAndTheOldestBeyond32AreLeftOut) {
  SearchHistory history;
  EXPECT_TRUE(history.Add(u"  big cat "));
  EXPECT_FALSE(history.Add(u"big cat"));
  EXPECT_FALSE(history.Add(u"//debug"));
  EXPECT_FALSE(history.Add(u"   "));
  for (int i = 0; i < 32; ++i) history.Add(u"term " + std::u16string(1, u'a' + i % 26) + std::u16string(i / 26 + 1, u'!'));
  ASSERT_EQ(history.entries().size(), SearchHistory::kLimit);
  EXPECT_EQ(history.entries().front(), u"term a!");  // "big cat" dropped
  EXPECT_TRUE(history.Add(u"big cat"));  // no longer the newest entry: recorded again
}

TEST(SearchHistory, FileHoldsCrLfLinesAndReadsBackThroughTheSameRules) {
  TempDir dir;
  SearchHistory history;
  history.Add(u"größe");
  history.Add(u"second");
  ASSERT_TRUE(history.Save(dir.path() / "new library"));
  EXPECT_EQ(readFileBytes(dir.path() / "new library" / SearchHistory::kFileName),
            std::string("gr\xc3\xb6\xc3\x9f" "e\r\nsecond\r\n\0", 18));
  SearchHistory loaded;
  loaded.Load(dir.path() / "new library");
  EXPECT_EQ(loaded.entries(), history.entries());

  dir.write(SearchHistory::kFileName, "one\r\none\n//cmd\n  two  \n");
  loaded.Load(dir.path());
  EXPECT_EQ(loaded.entries(), (std::vector<std::u16string>{u"one", u"two"}));
  loaded.Load(dir.file("missing"));
  EXPECT_TRUE(loaded.entries().empty());
}

TEST(SavedTerms, ReadsBothFormsAndWritesText) {
  TempDir dir;
  // An empty entry of the archive would be a menu item without text.
  dir.write(SavedTerms::kFileName, writeSavedTermsArchive({u"alpha", u"", u"beta gamma"}));
  SavedTerms terms;
  terms.Load(dir.path());
  EXPECT_EQ(terms.entries(), (std::vector<std::u16string>{u"alpha", u"beta gamma"}));
  EXPECT_TRUE(terms.Add(u"delta"));
  EXPECT_FALSE(terms.Add(u"alpha"));
  EXPECT_TRUE(terms.Remove(u"beta gamma"));
  ASSERT_TRUE(terms.Save(dir.path()));
  EXPECT_EQ(readFileBytes(dir.file(SavedTerms::kFileName)), std::string("alpha\r\ndelta\0", 13));

  // Text lines are trimmed at their end; an archive of a later version is text.
  EXPECT_EQ(SavedTerms::Parse("one  \r\n\r\n two\n"), (std::vector<std::u16string>{u"one", u" two"}));
  std::string version2("\x02\0\0\0", 4);
  EXPECT_EQ(SavedTerms::Parse(version2 + "x"), (std::vector<std::u16string>{u"\u0002"}));
  terms.Load(dir.file("missing"));
  EXPECT_TRUE(terms.entries().empty());
}

}  // namespace
}  // namespace brambel
