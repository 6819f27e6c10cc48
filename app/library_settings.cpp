#include "app/library_settings.h"

#include <system_error>

#include "app/settings_fields.h"
#include "index/stop_words.h"
#include "toolkit/blank_text.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

#define BRAMBEL_FIELD(name) SettingField<LibrarySettings>{#name, &LibrarySettings::name}
// Every library setting but the per-source flags, in the order it is read and written.
const SettingField<LibrarySettings> kFields[] = {
    BRAMBEL_FIELD(noExpire),           BRAMBEL_FIELD(noMainIndexing),
    BRAMBEL_FIELD(noURLIndexing),      BRAMBEL_FIELD(noMemoryIndexing),
    BRAMBEL_FIELD(batchFirstCategory), BRAMBEL_FIELD(contentCacheSize),
    BRAMBEL_FIELD(maxContentLength),   BRAMBEL_FIELD(maxImageLength),
    BRAMBEL_FIELD(maxSourceResults),   BRAMBEL_FIELD(previewCacheSize),
    BRAMBEL_FIELD(previewCodec),       BRAMBEL_FIELD(generateAllPreviews),
    BRAMBEL_FIELD(previewImageHeight), BRAMBEL_FIELD(previewImageWidth),
    BRAMBEL_FIELD(autogenPreview),     BRAMBEL_FIELD(maxHistory),
    BRAMBEL_FIELD(maxTermLength),      BRAMBEL_FIELD(stopWords),
    BRAMBEL_FIELD(startupURL),         BRAMBEL_FIELD(searchLabelOverride),
    BRAMBEL_FIELD(categoryURL),
};
#undef BRAMBEL_FIELD

constexpr std::string_view kSourcePrefix = "source.";
constexpr char kSection[] = "general";

}  // namespace

LibrarySettings ReadLibrarySettings(const SettingsMap& map, bool fileFound) {
  LibrarySettings settings;
  settings.noMainIndexing = !fileFound;
  settings.generateAllPreviews = fileFound;
  settings.stopWords = std::u16string(kDefaultStopWords);
  readSettingFields(settings, map, kFields);
  settings.categoryURL = std::u16string(trimmed(settings.categoryURL));

  // "source.N" = KEY "=" NUMBER; the source key may itself hold "=".
  for (const auto& [key, value] : map) {
    if (key.compare(0, kSourcePrefix.size(), kSourcePrefix) != 0) continue;
    size_t equals = value.rfind('=');
    if (equals == std::string::npos) continue;
    // A key reads as it will be written again (line breaks and NULs cannot
    // stand in a line), so that keys which differ only there are one entry
    // and a key of nothing is no entry.
    const std::string written = settingLine(toWide(value.substr(0, equals), kCodePageUtf8));
    const std::u16string source = toWide(std::string(trimmed(std::string_view(written))), kCodePageUtf8);
    if (source.empty()) continue;
    long long flags = parseDecimal(std::string_view(value).substr(equals + 1)).value_or(0);
    settings.sourceFlags[source] = flags < 0 || flags > 0xffffffffLL ? 0 : static_cast<uint32_t>(flags);
  }
  return settings;
}

LibrarySettings loadLibrarySettings(const std::filesystem::path& libraryDirectory,
                                    const std::filesystem::path& programDataDirectory) {
  std::optional<std::string> text = readTextFile(libraryDirectory / kLibrarySettingsFileName);
  if (!text) text = readTextFile(programDataDirectory / kLibrarySettingsFileName);
  return ReadLibrarySettings(text ? parseSettingsSection(*text, kSection) : SettingsMap(), text.has_value());
}

std::string formatLibrarySettings(const LibrarySettings& settings) {
  std::vector<std::string> lines{"[general]"};
  for (const auto& [key, value] : settingFieldValues(settings, kFields)) lines.push_back(key + "=" + value);
  size_t index = 0;
  for (const auto& [source, flags] : settings.sourceFlags) {
    lines.push_back(std::string(kSourcePrefix) + std::to_string(index++) + "=" + settingLine(source) + "=" +
                    std::to_string(flags));
  }
  return joinLines(lines) + "\r\n";
}

bool WriteLibrarySettings(const LibrarySettings& settings, const std::filesystem::path& directory) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  return writeTextFile(directory / kLibrarySettingsFileName, formatLibrarySettings(settings));
}

}  // namespace brambel
