#include "app/application.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "app/source_types.h"
#include "formats/builtin_category_sets.h"
#include "platform/directories.h"
#include "toolkit/code_pages.h"
#include "toolkit/fetch_page.h"
#include "toolkit/text_file.h"

namespace brambel {

namespace {

constexpr char kCategorySetExtension[] = ".zcat";

// "prefs.ini" beside the executable that can be read makes the program portable.
bool hasReadablePrefs(const std::filesystem::path& directory) {
  if (directory.empty()) return false;
  std::ifstream prefs(directory / kProgramSettingsFileName);
  return prefs.good();
}

std::string temporaryPrefix() { return "tmp" + std::to_string(getpid()) + "_"; }

}  // namespace

Application::Application(Options options) {
  const std::filesystem::path executable = options.executableDirectory.value_or(executableDirectory());
  portable_ = hasReadablePrefs(executable);
  paths_.programData = portable_ ? executable : dataDirectory();
  paths_.defaultLibrary = paths_.programData / kDefaultLibraryName;
  paths_.temporary = temporaryDirectory();
  settingsFile_ = portable_ ? ProgramSettingsFile{executable / kProgramSettingsFileName, true}
                            : programSettingsFile(false);
  settings_ = ReadProgramSettings(settingsFile_, toWide(paths_.defaultLibrary.string() + "/", kCodePageUtf8));
  if (!portable_) {
    std::error_code error;
    std::filesystem::create_directories(paths_.programData, error);
  }
  // Every request the program makes carries the configured User-Agent.
  setFetchUserAgent(toNarrow(settings_.browserId, kCodePageUtf8));
  builtInSourceTypes();
}

Application::~Application() {
  if (paths_.temporary.empty()) return;
  const std::string prefix = temporaryPrefix();
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(paths_.temporary, error))
    if (entry.path().filename().string().starts_with(prefix)) std::filesystem::remove_all(entry.path(), error);
  // Removed only when no other instance still keeps files there.
  std::filesystem::remove(paths_.temporary, error);
}

bool Application::SaveSettings() const { return WriteProgramSettings(settings_, settingsFile_); }

std::filesystem::path Application::startupLibrary() const {
  if (settings_.defaultCachePath.empty()) return paths_.defaultLibrary;
  return std::filesystem::path(toNarrow(settings_.defaultCachePath, kCodePageUtf8));
}

bool Application::InstallBuiltInCategorySets() const {
  const std::filesystem::path directory = paths_.programData / kCategoriesDirectoryName;
  std::error_code error;
  if (std::filesystem::is_directory(directory, error)) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory, error))
      if (entry.is_regular_file(error)) return true;
  }
  std::filesystem::create_directories(directory, error);
  bool written = true;
  for (const BuiltInSet& set : builtInSets())
    written &= writeTextFile(directory / (std::string(set.fileName) + kCategorySetExtension), set.text);
  return written;
}

std::vector<std::filesystem::path> Application::OfferedCategorySets() const {
  std::vector<std::filesystem::path> sets;
  std::error_code error;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(paths_.programData / kCategoriesDirectoryName, error))
    if (entry.is_regular_file(error) && entry.path().extension() == kCategorySetExtension)
      sets.push_back(entry.path());
  std::sort(sets.begin(), sets.end());
  return sets;
}

std::filesystem::path Application::TemporaryFile() {
  return paths_.temporary / (temporaryPrefix() + std::to_string(++temporaryCount_));
}

}  // namespace brambel
