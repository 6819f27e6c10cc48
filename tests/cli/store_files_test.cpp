#include <gtest/gtest.h>

#include "store/content_file.h"
#include "store/key_value_file.h"
#include "store/library_store.h"
#include "store/source_list.h"
#include "store/source_result_record.h"
#include "store/source_stats.h"
#include "store/source_text.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::runCli;
using testing::TempDir;

TEST(KvCommandTest, PutGetAndWalkInKeyOrder) {
  TempDir dir;
  const std::string path = dir.file("marks.zurl").string();
  EXPECT_EQ(runCli({"kv", "put", path, "beta", "2"}).status, 0);
  EXPECT_EQ(runCli({"kv", "put", path, "alpha"}, "from stdin").status, 0);
  auto get = runCli({"kv", "get", path, "alpha"});
  EXPECT_EQ(get.status, 0);
  EXPECT_EQ(get.out, "from stdin");
  EXPECT_EQ(runCli({"kv", "get", path, "beta", "--hex"}).out, "32\n");
  auto walk = runCli({"kv", "walk", path, "--text"});
  EXPECT_EQ(walk.status, 0);
  EXPECT_EQ(walk.out,
            "{\"key\":\"alpha\",\"size\":10,\"value\":\"from stdin\"}\n"
            "{\"key\":\"beta\",\"size\":1,\"value\":\"2\"}\n");
  KeyValueFile file(path, {.readOnly = true});
  EXPECT_EQ(file.keyLength(), 32u);
  EXPECT_EQ(file.minimumDegree(), 10u);
}

TEST(KvCommandTest, WalkDecodesLibraryMarks) {
  TempDir dir;
  {
    LibraryStore library(dir.path(), false);
    UrlMarks marks;
    marks.recordId = 5;
    marks.setPermanent(true);
    ASSERT_TRUE(library.writeMarks(u"http://example.org/", marks));
  }
  auto walk = runCli({"kv", "walk", dir.file("main__index.zurl").string(), "--marks"});
  EXPECT_EQ(walk.status, 0);
  EXPECT_NE(walk.out.find("\"url\":\"http://example.org/\""), std::string::npos) << walk.out;
  EXPECT_NE(walk.out.find("\"recordId\":5"), std::string::npos);
  EXPECT_NE(walk.out.find("\"permanent\":true"), std::string::npos);
}

TEST(KvCommandTest, MissingOrDamagedFilesFailWithOneLine) {
  TempDir dir;
  auto missing = runCli({"kv", "walk", dir.file("none").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("none")));
  const auto junk = dir.write("junk", std::string(40, '\x01'));
  EXPECT_EQ(runCli({"kv", "get", junk.string(), "k"}).status, 1);
  EXPECT_EQ(runCli({"kv", "put", junk.string(), "k", "v"}).status, 1);
  EXPECT_EQ(runCli({"kv", "get", junk.string()}).status, 2);
  const std::string path = dir.file("ok").string();
  EXPECT_EQ(runCli({"kv", "put", path, "k", "v"}).status, 0);
  EXPECT_EQ(runCli({"kv", "get", path, "other"}).status, 1);
}

TEST(ContentCommandTest, DumpsHeaderAndSections) {
  TempDir dir;
  const auto path = dir.file("doc.zdoc");
  {
    auto file = ContentFile::openForWriting(path);
    SourceResult result;
    result.url = u"http://example.org/";
    result.title = u"Caf\u00e9";
    ASSERT_TRUE(SourceResultRecord(result).WriteTo(file));
    ASSERT_TRUE(SourceText(std::string("<p>page</p>")).WriteTo(file));
    SourceStats stats;
    stats.w = 4;
    ASSERT_TRUE(stats.WriteTo(file));
    ASSERT_TRUE(SourceList({u"rss/a", u"web/b"}).WriteTo(file));
  }
  auto dump = runCli({"content", "dump", path.string()});
  EXPECT_EQ(dump.status, 0) << dump.err;
  EXPECT_NE(dump.out.find("\"resultOffset\":152"), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("\"title\":\"Caf\xc3\xa9\""), std::string::npos);
  EXPECT_NE(dump.out.find("\"text\":\"<p>page</p>\""), std::string::npos);
  EXPECT_NE(dump.out.find("\"stats\":{\"w\":4,\"t\":0,\"l\":0}"), std::string::npos);
  EXPECT_NE(dump.out.find("\"sources\":[\"rss/a\",\"web/b\"]"), std::string::npos);
  EXPECT_EQ(dump.out.find("\"links\""), std::string::npos);
}

TEST(ContentCommandTest, MissingCutAndDamagedFilesFail) {
  TempDir dir;
  EXPECT_EQ(runCli({"content", "dump", dir.file("none").string()}).status, 1);
  auto cut = runCli({"content", "dump", dir.write("cut", std::string(60, '\0')).string()});
  EXPECT_EQ(cut.status, 1);
  EXPECT_NE(cut.err.find("not a content file"), std::string::npos);
  std::string header(152, '\0');
  header[8] = 100;  // result record beyond the end
  header[9] = 1;
  auto damaged = runCli({"content", "dump", dir.write("damaged", header).string()});
  EXPECT_EQ(damaged.status, 1);
  EXPECT_NE(damaged.out.find("\"result\":{\"error\":\"unreadable\"}"), std::string::npos);
  EXPECT_EQ(runCli({"content", "dump"}).status, 2);
}

}  // namespace
}  // namespace brambel
