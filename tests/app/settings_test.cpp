#include <gtest/gtest.h>

#include "app/library_settings.h"
#include "app/program_settings.h"
#include "app/settings_text.h"
#include "app/window_rect.h"
#include "index/stop_words.h"
#include "tests/support/temp_dir.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

using testing::TempDir;
using testing::readFileBytes;

TEST(SettingsText, SectionsKeysAndValues) {
  std::string text =
      "ignored=1\r\n[general]  trailing words\r\n NOEXPIRE = 0 \r\nnoequals\r\n\r\n"
      "categoryURL=http://example.test/?a[]=1\r\nstopWords=a=b [c]\r\n[Other]\r\nnoexpire=1\r\n";
  SettingsMap general = parseSettingsSection(text, "General");
  EXPECT_EQ(general.size(), 3u);
  EXPECT_EQ(general["noexpire"], "0");
  EXPECT_EQ(general["categoryurl"], "http://example.test/?a[]=1") << "a [ inside a value does not end the section";
  EXPECT_EQ(general["stopwords"], "a=b [c]");
  EXPECT_TRUE(parseSettingsSection(text, "missing").empty());
  EXPECT_EQ(parseSettingsSection(text, "").at("ignored"), "1");
  EXPECT_EQ(parseSettingsSection(text, "other").at("noexpire"), "1");

  EXPECT_FALSE(settingBool(general, "noExpire", true));
  EXPECT_TRUE(settingBool(general, "absent", true));
  SettingsMap numbers{{"a", "12"}, {"b", "12x"}, {"c", "-1"}, {"d", "99999999999"}, {"e", " 7 "}};
  EXPECT_EQ(settingNumber(numbers, "A", 5), 12u);
  EXPECT_EQ(settingNumber(numbers, "b", 5), 0u) << "not a decimal number";
  EXPECT_EQ(settingNumber(numbers, "c", 5), 0u);
  EXPECT_EQ(settingNumber(numbers, "d", 5), 0u);
  EXPECT_EQ(settingNumber(numbers, "e", 5), 7u);
  EXPECT_EQ(settingNumber(numbers, "z", 5), 5u);
  EXPECT_TRUE(settingBool(numbers, "c", false)) << "any non-zero integer is true";
  EXPECT_FALSE(settingBool(numbers, "b", true));
}

TEST(SettingsText, UpdateReplacesAndAddsKeysKeepingOtherLines) {
  std::string updated = updateSettingsLines("# mine\r\nTileWidth=5\r\nother=x\n", {{"tileWidth", "300"}, {"new", "1"}});
  EXPECT_EQ(updated, "# mine\r\ntileWidth=300\r\nother=x\r\nnew=1\r\n");
}

TEST(LibrarySettings, DefaultsDependOnWhetherAFileWasFound) {
  TempDir library, programData;
  LibrarySettings none = loadLibrarySettings(library.path(), programData.path());
  EXPECT_TRUE(none.noMainIndexing);
  EXPECT_FALSE(none.generateAllPreviews);
  EXPECT_TRUE(none.noExpire);
  EXPECT_EQ(none.maxContentLength, 262144u);
  EXPECT_EQ(none.previewCodec, u"image/jpeg");
  EXPECT_EQ(none.stopWords, kDefaultStopWords);

  programData.write("settings.dat", "[general]\r\nmaxSourceResults=7\r\n");
  LibrarySettings fallback = loadLibrarySettings(library.path(), programData.path());
  EXPECT_FALSE(fallback.noMainIndexing);
  EXPECT_TRUE(fallback.generateAllPreviews);
  EXPECT_EQ(fallback.maxSourceResults, 7u);

  library.write("settings.dat", std::string("[general]\r\nNOEXPIRE=0\r\n\0noExpire=1", 35));
  LibrarySettings own = loadLibrarySettings(library.path(), programData.path());
  EXPECT_FALSE(own.noExpire) << "keys match without case; reading stops at the zero byte";
  EXPECT_EQ(own.maxSourceResults, 20u) << "the library's own file wins over the fallback";
}

TEST(LibrarySettings, SourceFlagsAndRoundTrip) {
  SettingsMap map = parseSettingsSection("[general]\r\nsource.3=google=2\r\nsource.0=rss/http://a/?x=1=1\r\n", "general");
  LibrarySettings read = ReadLibrarySettings(map, true);
  ASSERT_EQ(read.sourceFlags.size(), 2u);
  EXPECT_EQ(read.sourceFlags[u"google"], 2u);
  EXPECT_EQ(read.sourceFlags[u"rss/http://a/?x=1"], 1u) << "split at the last =";

  TempDir library;
  LibrarySettings settings = read;
  settings.noURLIndexing = true;
  settings.maxTermLength = 33;
  settings.startupURL = u"http://example.test/caf\u00e9";
  settings.categoryURL = u"http://example.test/cats.zcat";
  settings.searchLabelOverride = u"Find\r\nnoExpire=0";
  settings.stopWords = u"the a an";
  ASSERT_TRUE(WriteLibrarySettings(settings, library.path() / "new"));
  std::string bytes = readFileBytes(library.path() / "new" / "settings.dat");
  EXPECT_EQ(bytes.rfind("[general]\r\n", 0), 0u);
  EXPECT_EQ(bytes.back(), '\0');
  EXPECT_NE(bytes.find("source.0="), std::string::npos);
  EXPECT_NE(bytes.find("source.1="), std::string::npos);

  LibrarySettings back = loadLibrarySettings(library.path() / "new", library.path());
  EXPECT_TRUE(back.noExpire) << "a line break inside a value cannot add a key";
  EXPECT_EQ(back.searchLabelOverride, u"Find  noExpire=0");
  back.searchLabelOverride = settings.searchLabelOverride;
  EXPECT_EQ(back, settings);
}

TEST(ProgramSettings, RegistryModeRoundTripAndDefaults) {
  TempDir config;
  ProgramSettingsFile file{config.path() / "Brambel" / "prefs.ini", false};
  ProgramSettings defaults = ReadProgramSettings(file, u"/home/u/.local/share/Brambel/library");
  EXPECT_EQ(defaults.contextThreads, 5u);
  EXPECT_EQ(defaults.minSpaceThreshold, 1024u);
  EXPECT_EQ(defaults.browserId, u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; brambel)");
  EXPECT_EQ(defaults.defaultCachePath, u"/home/u/.local/share/Brambel/library/");
  EXPECT_TRUE(defaults.autoPermanent);
  EXPECT_FALSE(defaults.showSponsors);

  ProgramSettings changed = defaults;
  changed.tileWidth = 320;
  changed.previewScripts = true;
  changed.displayDate = 6;
  changed.mainPosition = u"10,20,810,620";
  changed.browserId = u"Agent \u00e9";
  ASSERT_TRUE(WriteProgramSettings(changed, file));
  EXPECT_EQ(readFileBytes(file.path).back(), '\0');
  EXPECT_EQ(ReadProgramSettings(file, u"/elsewhere/"), changed);
}

TEST(ProgramSettings, PortableModeLeavesMissingTextEmpty) {
  TempDir beside;
  beside.write("prefs.ini", "tileWidth=100\r\nunknown=keep me\r\n");
  ProgramSettingsFile file{beside.file("prefs.ini"), true};
  ProgramSettings settings = ReadProgramSettings(file, u"/default/library");
  EXPECT_EQ(settings.tileWidth, 100u);
  EXPECT_EQ(settings.browserId, u"");
  EXPECT_EQ(settings.defaultCachePath, u"");
  EXPECT_EQ(settings.minSpaceThreshold, 5u);

  settings.tileWidth = 150;
  ASSERT_TRUE(WriteProgramSettings(settings, file));
  std::string text = *readTextFile(file.path);
  EXPECT_NE(text.find("unknown=keep me\r\n"), std::string::npos);
  EXPECT_NE(text.find("tileWidth=150\r\n"), std::string::npos);
  EXPECT_EQ(text.find("tileWidth=100"), std::string::npos);
  EXPECT_EQ(ReadProgramSettings(file, u""), settings);
}

TEST(WindowRect, StoredRectanglesOutsideTheDesktopAreIgnored) {
  WindowRect desktop{0, 0, 1920, 1080};
  EXPECT_EQ(parseWindowRect(u"10,20,810,620", desktop), (WindowRect{10, 20, 810, 620}));
  EXPECT_EQ(parseWindowRect(u" 1,2,3,4 trailing", desktop), (WindowRect{1, 2, 3, 4}));
  EXPECT_FALSE(parseWindowRect(u"-3000,20,-2000,620", desktop));
  EXPECT_FALSE(parseWindowRect(u"10,2000,810,2600", desktop));
  EXPECT_FALSE(parseWindowRect(u"10,20,810,20", desktop)) << "top equals bottom";
  EXPECT_FALSE(parseWindowRect(u"", desktop));
  EXPECT_FALSE(parseWindowRect(u"a,b,c,d", desktop));
  EXPECT_EQ(formatWindowRect({-5, 0, 100, 200}), u"-5,0,100,200");
  EXPECT_EQ(parseWindowRect(formatWindowRect({5, 6, 700, 800}), desktop), (WindowRect{5, 6, 700, 800}));
}

}  // namespace
}  // namespace brambel
