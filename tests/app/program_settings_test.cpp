#include "app/program_settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

constexpr int kRounds = 150;

// Two writers at once (the window and the update check) each replace the
// whole file: every write succeeds and the file always reads as one of them.
TEST(ProgramSettingsWriters, ConcurrentWritesNeverFailOrMix) {
  testing::TempDir dir;
  ProgramSettingsFile file{dir.path() / "config" / "prefs.ini", false};
  ProgramSettings first, second;
  first.tileWidth = 111;
  first.browserId = u"first";
  second.tileWidth = 222;
  second.browserId = u"second";
  std::atomic<int> failures{0};
  auto writer = [&](const ProgramSettings& settings) {
    for (int i = 0; i < kRounds; ++i)
      if (!WriteProgramSettings(settings, file)) ++failures;
  };
  std::thread a(writer, first), b(writer, second);
  a.join();
  b.join();
  EXPECT_EQ(failures.load(), 0);
  ProgramSettings read = ReadProgramSettings(file, u"");
  EXPECT_TRUE(read == first || read == second);
  for (const auto& entry : std::filesystem::directory_iterator(file.path.parent_path()))
    EXPECT_TRUE(entry.path().filename() == "prefs.ini" || entry.path().filename() == "prefs.ini.lock")
        << "left behind: " << entry.path();
}

// Updates of different settings from two threads lose none of each other's changes.
TEST(ProgramSettingsWriters, UpdatesKeepEachOthersChanges) {
  testing::TempDir dir;
  ProgramSettingsFile file{dir.path() / "prefs.ini", true};
  auto counter = [&](uint32_t ProgramSettings::*field) {
    for (int i = 0; i < kRounds; ++i)
      ASSERT_TRUE(UpdateProgramSettings(file, u"", [field](ProgramSettings& settings) { ++(settings.*field); }));
  };
  std::thread a(counter, &ProgramSettings::lastVersionCheck), b(counter, &ProgramSettings::indexCacheSize);
  a.join();
  b.join();
  ProgramSettings read = ReadProgramSettings(file, u"");
  EXPECT_EQ(read.lastVersionCheck, uint32_t(kRounds));
  EXPECT_EQ(read.indexCacheSize, uint32_t(kRounds));
}

}  // namespace
}  // namespace brambel
