// Both settings parsers: prefs.ini lines into program settings, and the
// "[general]" section of settings.dat into library settings and back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/library_settings.h"
#include "app/settings_text.h"
#include "app/window_rect.h"
#include "toolkit/code_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  brambel::SettingsMap prefs = brambel::parseSettingsLines(text);
  brambel::parseWindowRect(brambel::settingString(prefs, "mainPosition", u""), {0, 0, 1920, 1080});
  brambel::updateSettingsLines(text, {{"tileWidth", "1"}});

  brambel::LibrarySettings settings =
      brambel::ReadLibrarySettings(brambel::parseSettingsSection(text, "general"), true);
  // What was written reads back the same.
  std::string written = brambel::formatLibrarySettings(settings);
  brambel::LibrarySettings back =
      brambel::ReadLibrarySettings(brambel::parseSettingsSection(written, "general"), true);
  if (back.maxSourceResults != settings.maxSourceResults || back.sourceFlags.size() != settings.sourceFlags.size())
    __builtin_trap();
  return 0;
}
