#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "app/settings_text.h"

namespace brambel {

// The settings of one library, kept in "settings.dat" in the library
// directory (section "[general]"). Fields are named by their keys.
struct LibrarySettings {
  bool noExpire = true;
  bool noMainIndexing = false;  // true when no settings file was found
  bool noURLIndexing = false;
  bool noMemoryIndexing = false;
  bool batchFirstCategory = false;
  uint32_t contentCacheSize = 200;  // MB
  uint32_t maxContentLength = 262144;
  uint32_t maxImageLength = 524288;
  uint32_t maxSourceResults = 20;
  uint32_t previewCacheSize = 100;  // MB
  std::u16string previewCodec = u"image/jpeg";
  bool generateAllPreviews = true;  // false when no settings file was found
  uint32_t previewImageHeight = 1024;
  uint32_t previewImageWidth = 800;
  bool autogenPreview = true;
  uint32_t maxHistory = 32;
  uint32_t maxTermLength = 20;
  std::u16string stopWords;  // the built-in stop-word list unless set
  std::u16string startupURL;
  std::u16string searchLabelOverride;
  std::u16string categoryURL;
  // Per-source library indexing overrides: source key → bit set (bits 0 and 1
  // are read by the content loader). Stored as "source.N=KEY=NUMBER".
  std::map<std::u16string, uint32_t> sourceFlags;

  bool operator==(const LibrarySettings&) const = default;
};

inline constexpr char kLibrarySettingsFileName[] = "settings.dat";

// Fills the settings from a key-to-value map. `fileFound` tells whether a
// settings file was read: without one, `noMainIndexing` defaults to true and
// `generateAllPreviews` to false.
LibrarySettings ReadLibrarySettings(const SettingsMap& map, bool fileFound);

// The library's "settings.dat", else the one in `programDataDirectory`, else
// the no-file defaults.
LibrarySettings loadLibrarySettings(const std::filesystem::path& libraryDirectory,
                                    const std::filesystem::path& programDataDirectory);

// The text of "settings.dat": "[general]" and one key=value line per setting.
std::string formatLibrarySettings(const LibrarySettings& settings);

// Writes "settings.dat" into `directory` (the library's, or the program data
// directory), creating the directory when needed.
bool WriteLibrarySettings(const LibrarySettings& settings, const std::filesystem::path& directory);

}  // namespace brambel
