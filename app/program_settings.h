#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brambel {

// The per-user program settings, read once at start-up and written back when
// they change. Every field is named by its key; see the table in
// program_settings.cpp for the defaults.
struct ProgramSettings {
  uint32_t contextThreads = 5;
  uint32_t imageThreads = 2;
  uint32_t indexThreads = 1;
  uint32_t saveThreads = 1;
  uint32_t thumbThreads = 2;
  uint32_t snippetDisplayLength = 128;
  uint32_t tileWidth = 256;
  uint32_t tileHeight = 256;
  uint32_t tileHoverDelay = 400;
  uint32_t listHoverDelay = 0;
  uint32_t listThumbHeight = 64;
  uint32_t listThumbWidth = 64;
  uint32_t listFontScale = 100;
  uint32_t tileFontScale = 100;
  bool prefetchHeader = true;
  bool sendReferer = true;
  bool categoryCounts = true;
  bool contentSummaryExtraction = true;
  bool aggregateTermScoring = true;
  bool previewTextOverlay = true;
  bool previewAnimate = true;
  bool previewActiveX = false;
  bool miniActiveX = false;
  bool previewScripts = false;
  bool miniScripts = false;
  bool preloadMinibrowser = false;
  bool autoPermanent = true;
  bool allowRawImages = true;
  bool allowLocalFilter = false;
  bool allowURLFilter = false;
  bool showSponsors = false;
  bool autocompleteTerms = true;
  uint32_t previewWindowWidth = 800;
  uint32_t previewWindowHeight = 800;
  bool displaySources = true;
  uint32_t termHighlighting = 0;  // 0 off, 64 on
  bool browserStyleTitles = true;
  uint32_t displayDate = 1;  // 0 none, 1 loaded, 2 content, 3 clicked, 4 hovered, 5 sort order, 6 viewed
  uint32_t minSpaceThreshold = 1024;  // MB; 5 in portable mode
  uint32_t indexQueueSize = 25;
  uint32_t indexCacheSize = 0;
  uint32_t thumbCacheSize = 200;
  uint32_t lastVersionReminded = 30;
  uint32_t lastVersionCheck = 0;
  uint32_t globalIndexSleepInterval = 100;
  uint32_t searchResultMax = 250;
  uint32_t resultDisplayMax = 200;
  uint32_t userScoringWeight = 100;
  uint32_t permScoringWeight = 300;
  std::u16string defaultCachePath;  // library directory, always ending in "/"
  std::u16string browserId = u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; brambel)";
  std::u16string mainPosition;     // "left,top,right,bottom" or empty
  std::u16string previewPosition;  // "left,top,right,bottom" or empty

  bool operator==(const ProgramSettings&) const = default;
};

// Where the program settings live: the user's settings file in the config
// directory, or in portable mode "prefs.ini" beside the executable. Both use
// the same key=value syntax.
struct ProgramSettingsFile {
  std::filesystem::path path;
  bool portable = false;
};

inline constexpr char kProgramSettingsFileName[] = "prefs.ini";

// The settings file for the mode: configDirectory() or executableDirectory(),
// each with "prefs.ini".
ProgramSettingsFile programSettingsFile(bool portable);

// Reads every setting; a missing or unreadable value keeps its default. In
// portable mode a missing text value is empty (an empty "browserId" sends no
// User-Agent) and `minSpaceThreshold` defaults to 5. `defaultLibraryDirectory`
// is the default of `defaultCachePath`.
ProgramSettings ReadProgramSettings(const ProgramSettingsFile& file, const std::u16string& defaultLibraryDirectory);

// Rewrites the file with every setting, keeping lines of other keys; creates
// the directory when needed. False when the file cannot be written.
//
// Writers of one settings file, threads and processes alike, take turns:
// each holds the writer lock of "prefs.ini.lock" beside the file while it
// reads, changes and replaces it.
bool WriteProgramSettings(const ProgramSettings& settings, const ProgramSettingsFile& file);

// Changes some settings without losing what other writers changed: reads the
// file, applies `change` and writes it back, all under the writer lock. The
// settings as written, or nothing when the file cannot be written.
std::optional<ProgramSettings> UpdateProgramSettings(const ProgramSettingsFile& file,
                                                     const std::u16string& defaultLibraryDirectory,
                                                     const std::function<void(ProgramSettings&)>& change);

// Sets key=value lines of keys outside the settings table (the silenced
// notices) under the writer lock, keeping every other line. False when the
// file cannot be written.
bool WriteProgramSettingLines(const ProgramSettingsFile& file,
                              const std::vector<std::pair<std::string, std::string>>& values);

}  // namespace brambel
