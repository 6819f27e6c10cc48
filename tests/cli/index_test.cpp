#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::runCli;

class IndexCliTest : public ::testing::Test {
 protected:
  std::string index() const { return dir_.file("main__index.zidx").string(); }

  void add(int id, const std::string& text) {
    auto result = runCli({"index", "add", index(), "--id", std::to_string(id)}, text);
    ASSERT_EQ(result.status, 0) << result.err;
  }

  testing::TempDir dir_;
};

TEST_F(IndexCliTest, AddQueryTermsAndPostings) {
  add(1, "The quick red fox, jumping.");
  add(2, "A red hen and a red barn; red everywhere.");
  add(3, "Nothing to see here");

  auto query = runCli({"index", "query", index(), "red"});
  ASSERT_EQ(query.status, 0) << query.err;
  EXPECT_EQ(query.out.substr(0, 2), "2\t");
  EXPECT_NE(query.out.find("\n1\t"), std::string::npos);

  EXPECT_EQ(runCli({"index", "query", index(), "red", "-hen"}).out.substr(0, 2), "1\t");
  auto completed = runCli({"index", "query", index(), "--complete", "red", "jum"});
  EXPECT_EQ(completed.out.substr(0, completed.out.find('\n')), "jumping");
  EXPECT_EQ(completed.out.substr(completed.out.find('\n') + 1, 2), "1\t");

  auto terms = runCli({"index", "terms", index(), "--prefix", "re", "--counts"});
  EXPECT_EQ(terms.out, "red\t2\n");
  auto postings = runCli({"index", "postings", index(), "red"});
  EXPECT_EQ(std::count(postings.out.begin(), postings.out.end(), '\n'), 2);

  auto check = runCli({"index", "check", index()});
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_NE(check.out.find("valid\tyes"), std::string::npos);
}

TEST_F(IndexCliTest, BatchAddAndBatchQueryReportTheirFigures) {
  std::string list;
  for (int id = 1; id <= 30; ++id)
    list += std::to_string(id) + "\t" +
            dir_.write("doc" + std::to_string(id), "alpha beta gamma" + std::to_string(id % 3)).string() + "\n";
  dir_.write("list", list);
  auto added = runCli({"index", "add-batch", index(), dir_.file("list").string()});
  ASSERT_EQ(added.status, 0) << added.err;
  EXPECT_NE(added.out.find("documents\t30\n"), std::string::npos);
  EXPECT_NE(added.out.find("terms_per_second_stored\t"), std::string::npos);

  dir_.write("queries", "alpha beta\ngamma1\nalpha -gamma2\n");
  auto batch = runCli({"index", "query", index(), "--batch", dir_.file("queries").string()});
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_NE(batch.out.find("queries\t3\nhits\t60\n"), std::string::npos) << batch.out;
  EXPECT_NE(batch.out.find("p95_us\t"), std::string::npos);
}

TEST_F(IndexCliTest, RemoveAndOptimizeDropDocuments) {
  add(1, "apple banana");
  add(2, "apple cherry");
  add(3, "apple durian");
  ASSERT_EQ(runCli({"index", "remove", index(), "--ids", "2"}).status, 0);
  EXPECT_EQ(runCli({"index", "postings", index(), "cherry"}).out, "");
  auto optimized = runCli({"index", "optimize", index(), "--removed", "3"});
  ASSERT_EQ(optimized.status, 0) << optimized.err;
  EXPECT_NE(optimized.out.find("postings_dropped\t4"), std::string::npos) << optimized.out;
  // Terms that lost every posting stay stored, without documents.
  EXPECT_EQ(runCli({"index", "terms", index()}).out, "apple\nbanana\ncherry\ndurian\n");
  EXPECT_EQ(runCli({"index", "terms", index(), "--counts"}).out, "apple\t1\nbanana\t1\n");
  EXPECT_EQ(runCli({"index", "check", index()}).status, 0);
}

TEST_F(IndexCliTest, MissingOrDamagedFilesFailWithOneLine) {
  for (const char* command : {"query", "terms", "check", "optimize"}) {
    std::vector<std::string> args{"index", command, dir_.file("absent.zidx").string()};
    if (std::string(command) == "query") args.push_back("word");
    auto result = runCli(args);
    EXPECT_EQ(result.status, 1) << command;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.file("absent.zidx")));

  const std::string damaged = dir_.write("damaged.zidx", std::string(5000, '\x5a')).string();
  EXPECT_EQ(runCli({"index", "query", damaged, "word"}).status, 1);
  EXPECT_EQ(runCli({"index", "check", damaged}).status, 1);
  EXPECT_EQ(runCli({"index", "add", damaged, "--id", "1"}, "word").status, 1);

  EXPECT_EQ(runCli({"index", "add", index(), "--id", "0"}, "word").status, 2);
  EXPECT_EQ(runCli({"index", "optimize", index(), "--removed", "x,1"}).status, 2);
}

}  // namespace
}  // namespace brambel
