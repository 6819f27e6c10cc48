#include "app/program_settings.h"

#include <system_error>

#include "app/settings_fields.h"
#include "platform/directories.h"
#include "platform/file_lock.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

// Every program setting, in the order it is read and written.
#define BRAMBEL_FIELD(name) SettingField<ProgramSettings>{#name, &ProgramSettings::name}
const SettingField<ProgramSettings> kFields[] = {
    BRAMBEL_FIELD(contextThreads),       BRAMBEL_FIELD(imageThreads),
    BRAMBEL_FIELD(indexThreads),         BRAMBEL_FIELD(saveThreads),
    BRAMBEL_FIELD(thumbThreads),         BRAMBEL_FIELD(snippetDisplayLength),
    BRAMBEL_FIELD(tileWidth),            BRAMBEL_FIELD(tileHeight),
    BRAMBEL_FIELD(tileHoverDelay),       BRAMBEL_FIELD(listHoverDelay),
    BRAMBEL_FIELD(listThumbHeight),      BRAMBEL_FIELD(listThumbWidth),
    BRAMBEL_FIELD(listFontScale),        BRAMBEL_FIELD(tileFontScale),
    BRAMBEL_FIELD(prefetchHeader),       BRAMBEL_FIELD(sendReferer),
    BRAMBEL_FIELD(categoryCounts),       BRAMBEL_FIELD(contentSummaryExtraction),
    BRAMBEL_FIELD(aggregateTermScoring), BRAMBEL_FIELD(previewTextOverlay),
    BRAMBEL_FIELD(previewAnimate),       BRAMBEL_FIELD(previewActiveX),
    BRAMBEL_FIELD(miniActiveX),          BRAMBEL_FIELD(previewScripts),
    BRAMBEL_FIELD(miniScripts),          BRAMBEL_FIELD(preloadMinibrowser),
    BRAMBEL_FIELD(autoPermanent),        BRAMBEL_FIELD(allowRawImages),
    BRAMBEL_FIELD(allowLocalFilter),     BRAMBEL_FIELD(allowURLFilter),
    BRAMBEL_FIELD(showSponsors),         BRAMBEL_FIELD(autocompleteTerms),
    BRAMBEL_FIELD(previewWindowWidth),   BRAMBEL_FIELD(previewWindowHeight),
    BRAMBEL_FIELD(displaySources),       BRAMBEL_FIELD(termHighlighting),
    BRAMBEL_FIELD(browserStyleTitles),   BRAMBEL_FIELD(displayDate),
    BRAMBEL_FIELD(minSpaceThreshold),    BRAMBEL_FIELD(indexQueueSize),
    BRAMBEL_FIELD(indexCacheSize),       BRAMBEL_FIELD(thumbCacheSize),
    BRAMBEL_FIELD(lastVersionReminded),  BRAMBEL_FIELD(lastVersionCheck),
    BRAMBEL_FIELD(globalIndexSleepInterval), BRAMBEL_FIELD(searchResultMax),
    BRAMBEL_FIELD(resultDisplayMax),     BRAMBEL_FIELD(userScoringWeight),
    BRAMBEL_FIELD(permScoringWeight),    BRAMBEL_FIELD(defaultCachePath),
    BRAMBEL_FIELD(browserId),            BRAMBEL_FIELD(mainPosition),
    BRAMBEL_FIELD(previewPosition),
};
#undef BRAMBEL_FIELD

// How long a writer waits for another to finish.
constexpr std::chrono::seconds kWriterWait{10};

// The writer lock of the settings file. It lives in a file of its own: the
// settings file is replaced on every write, so a lock on it would not hold.
File lockWriters(const ProgramSettingsFile& file) {
  std::error_code error;
  std::filesystem::create_directories(file.path.parent_path(), error);
  std::filesystem::path lockPath = file.path;
  lockPath += ".lock";
  return openWriter(lockPath, kWriterWait, File::Disposition::OpenAlways);
}

// Call with the writer lock held.
bool writeLines(const ProgramSettingsFile& file, const std::vector<std::pair<std::string, std::string>>& values) {
  std::string existing = readTextFile(file.path).value_or("");
  return writeTextFile(file.path, updateSettingsLines(existing, values));
}

}  // namespace

ProgramSettingsFile programSettingsFile(bool portable) {
  std::filesystem::path directory = portable ? executableDirectory() : configDirectory();
  return {directory / kProgramSettingsFileName, portable};
}

ProgramSettings ReadProgramSettings(const ProgramSettingsFile& file, const std::u16string& defaultLibraryDirectory) {
  ProgramSettings settings;
  settings.defaultCachePath = defaultLibraryDirectory;
  if (file.portable) {
    settings.minSpaceThreshold = 5;
    settings.browserId.clear();
    settings.defaultCachePath.clear();
  }
  readSettingFields(settings, parseSettingsLines(readTextFile(file.path).value_or("")), kFields);
  if (!settings.defaultCachePath.empty() && settings.defaultCachePath.back() != u'/')
    settings.defaultCachePath += u'/';
  return settings;
}

bool WriteProgramSettings(const ProgramSettings& settings, const ProgramSettingsFile& file) {
  File lock = lockWriters(file);
  return lock.isOpen() && writeLines(file, settingFieldValues(settings, kFields));
}

std::optional<ProgramSettings> UpdateProgramSettings(const ProgramSettingsFile& file,
                                                     const std::u16string& defaultLibraryDirectory,
                                                     const std::function<void(ProgramSettings&)>& change) {
  File lock = lockWriters(file);
  if (!lock.isOpen()) return std::nullopt;
  ProgramSettings settings = ReadProgramSettings(file, defaultLibraryDirectory);
  change(settings);
  if (!writeLines(file, settingFieldValues(settings, kFields))) return std::nullopt;
  return settings;
}

bool WriteProgramSettingLines(const ProgramSettingsFile& file,
                              const std::vector<std::pair<std::string, std::string>>& values) {
  File lock = lockWriters(file);
  return lock.isOpen() && writeLines(file, values);
}

}  // namespace brambel
