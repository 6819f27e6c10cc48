#include "platform/directories.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;

TEST(Directories, FollowTheXdgVariablesAndKeepTheTemporaryFolderPrivate) {
  TempDir root;
  setenv("XDG_CONFIG_HOME", root.path().c_str(), 1);
  setenv("XDG_DATA_HOME", "relative/ignored", 1);
  setenv("HOME", root.path().c_str(), 1);
  setenv("TMPDIR", root.path().c_str(), 1);
  EXPECT_EQ(configDirectory(), root.path() / "Brambel");
  EXPECT_EQ(dataDirectory(), root.path() / ".local/share" / "Brambel");
  EXPECT_FALSE(executableDirectory().empty());

  std::filesystem::path temporary = temporaryDirectory();
  ASSERT_FALSE(temporary.empty());
  struct stat status;
  ASSERT_EQ(stat(temporary.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);
  EXPECT_EQ(temporaryDirectory(), temporary);

  chmod(temporary.c_str(), 0755);
  EXPECT_TRUE(temporaryDirectory().empty()) << "a folder others can read is not ours to use";
}

}  // namespace
}  // namespace brambel
