#include "toolkit/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

mode_t modeOf(const std::filesystem::path& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0);
  return status.st_mode & 07777;
}

TEST(WriteTextFile, ReplacingKeepsTheFilesModeAndANewFileFollowsTheUmask) {
  testing::TempDir dir;
  const std::filesystem::path prefs = dir.path() / "prefs.ini";
  ASSERT_TRUE(writeTextFile(prefs, "first=1"));
  const mode_t oldMask = ::umask(022);
  ASSERT_TRUE(writeTextFile(dir.path() / "new.ini", "x=1"));
  EXPECT_EQ(modeOf(dir.path() / "new.ini"), 0644u);

  ASSERT_EQ(::chmod(prefs.c_str(), 0600), 0);
  ASSERT_TRUE(writeTextFile(prefs, "password=scrambled"));
  EXPECT_EQ(modeOf(prefs), 0600u) << "a private file stays private";
  EXPECT_EQ(readTextFile(prefs), "password=scrambled");

  ASSERT_EQ(::chmod(prefs.c_str(), 0664), 0);
  ASSERT_TRUE(writeTextFile(prefs, "shared=1"));
  EXPECT_EQ(modeOf(prefs), 0664u) << "wider than the umask allows, kept as it was";
  ::umask(oldMask);

  EXPECT_FALSE(writeTextFile(dir.path() / "missing" / "x.ini", "x"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << "no temporary file left";
}

}  // namespace
}  // namespace brambel
