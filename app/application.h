#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "app/program_settings.h"

namespace brambel {

// Where the program's own files live, decided once at start-up.
struct ApplicationPaths {
  // "categories/" (category sets offered for new libraries) and the fallback
  // "settings.dat": the data directory, or in portable mode the executable's.
  std::filesystem::path programData;
  // programData / "Default Library".
  std::filesystem::path defaultLibrary;
  // The per-user temporary folder; its "tmp<pid>_*" files are this process's.
  std::filesystem::path temporary;
};

// The application object: the program settings, portable mode and the
// program's directories, and the one start-up both programs go through.
// Start reads the settings, applies those that act process-wide (the
// User-Agent of every request), registers the built-in source types, creates the program data directory in
// settings-file mode and the temporary folder, and chooses the library
// directory. The document takes the rest of the settings from here when it
// opens a library.
class Application {
 public:
  static constexpr char kDefaultLibraryName[] = "Default Library";
  static constexpr char kCategoriesDirectoryName[] = "categories";

  struct Options {
    // Tests and the command line may point the executable directory (where
    // "prefs.ini" makes the program portable) elsewhere.
    std::optional<std::filesystem::path> executableDirectory;
  };

  explicit Application(Options options = {});
  // Deletes this process's temporary files.
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  bool portable() const { return portable_; }
  const ApplicationPaths& paths() const { return paths_; }
  const ProgramSettings& settings() const { return settings_; }
  ProgramSettings& settings() { return settings_; }
  // Writes the settings back (settings file or "prefs.ini").
  bool SaveSettings() const;

  // The library opened at start-up: `defaultCachePath`, or the default
  // library when that is empty.
  std::filesystem::path startupLibrary() const;

  // Writes the five built-in category sets into programData/categories/
  // when that directory holds no file. False when it could not be written.
  bool InstallBuiltInCategorySets() const;
  // The category set files offered for a new library, sub-directories
  // included, in name order.
  std::vector<std::filesystem::path> OfferedCategorySets() const;

  // A new name in the temporary folder for this process ("tmp<pid>_<n>");
  // the file is deleted when the application ends.
  std::filesystem::path TemporaryFile();

 private:
  ProgramSettingsFile settingsFile_;
  bool portable_ = false;
  ApplicationPaths paths_;
  ProgramSettings settings_;
  unsigned temporaryCount_ = 0;
};

}  // namespace brambel
