#include <gtest/gtest.h>

#include <sys/stat.h>

#include "app/destination_logins.h"
#include "app/program_settings.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;

TEST(DestinationLogins, StoredScrambledInAnOwnerOnlyFileBesideOtherSettings) {
  TempDir dir;
  std::filesystem::path file = dir.write("prefs.ini", "tileWidth=300\r\n");
  std::vector<Destination> destinations = LoadDestinations(file);
  ASSERT_EQ(destinations.size(), 6u);
  destinations[0].username = u"alice";
  destinations[0].password = u"s3cret=\r\nkey\U0001F511";
  destinations[3].additional = u"blog tags";
  ASSERT_TRUE(SaveDestinations(destinations, file));

  struct stat status {};
  ASSERT_EQ(::stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  std::string text = testing::readFileBytes(file);
  EXPECT_NE(text.find("tileWidth=300"), std::string::npos);
  EXPECT_NE(text.find("destinations\\pinboard.in\\username=alice"), std::string::npos);
  EXPECT_EQ(text.find("s3cret"), std::string::npos) << "the password is not stored as written";
  EXPECT_EQ(text.find("Gmail"), std::string::npos) << "browser destinations have no login";

  std::vector<Destination> back = LoadDestinations(file);
  EXPECT_EQ(back[0].username, u"alice");
  EXPECT_EQ(back[0].password, destinations[0].password);
  EXPECT_EQ(back[3].additional, u"blog tags");
  EXPECT_EQ(scramblePassword(scramblePassword(u"x")), u"x");
  EXPECT_NE(scramblePassword(u"x"), u"x");
}

TEST(DestinationLogins, TheFileStaysOwnerOnlyWhenTheOtherSettingsAreWritten) {
  TempDir dir;
  std::filesystem::path file = dir.write("prefs.ini", "");
  std::vector<Destination> destinations = LoadDestinations(file);
  destinations[0].password = u"pw";
  ASSERT_TRUE(SaveDestinations(destinations, file));
  ProgramSettings settings;
  settings.tileWidth = 321;
  ASSERT_TRUE(WriteProgramSettings(settings, ProgramSettingsFile{file, true}));

  struct stat status {};
  ASSERT_EQ(::stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  EXPECT_EQ(LoadDestinations(file)[0].password, u"pw");
  EXPECT_NE(testing::readFileBytes(file).find("tileWidth=321"), std::string::npos);
}

}  // namespace
}  // namespace brambel
