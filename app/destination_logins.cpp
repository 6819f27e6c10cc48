#include "app/destination_logins.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/program_settings.h"
#include "app/settings_fields.h"
#include "app/settings_text.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

constexpr char16_t kScrambleMask = 0x5A3C;

std::string keyOf(const Destination& destination, const char* field) {
  return "destinations\\" + toNarrow(destination.name, kCodePageUtf8) + "\\" + field;
}

std::string toHex(const std::u16string& units) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (char16_t unit : units)
    for (int shift = 12; shift >= 0; shift -= 4) hex += kDigits[(unit >> shift) & 0xF];
  return hex;
}

std::u16string fromHex(const std::string& hex) {
  std::u16string units;
  for (size_t at = 0; at + 4 <= hex.size(); at += 4) {
    char16_t unit = 0;
    for (size_t i = at; i < at + 4; ++i) {
      char c = hex[i];
      int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (digit < 0) return {};
      unit = static_cast<char16_t>(unit << 4 | digit);
    }
    units += unit;
  }
  return units;
}

}  // namespace

std::u16string scramblePassword(const std::u16string& text) {
  std::u16string scrambled = text;
  for (char16_t& unit : scrambled) unit ^= kScrambleMask;
  return scrambled;
}

std::vector<Destination> LoadDestinations(const std::filesystem::path& settingsFile) {
  std::vector<Destination> destinations = builtInDestinations();
  SettingsMap map = parseSettingsLines(readTextFile(settingsFile).value_or(""));
  for (Destination& destination : destinations) {
    destination.username = settingString(map, keyOf(destination, "username"), u"");
    destination.additional = settingString(map, keyOf(destination, "additional"), u"");
    std::u16string hex = settingString(map, keyOf(destination, "password"), u"");
    destination.password = scramblePassword(fromHex(toNarrow(hex, kCodePageUtf8)));
  }
  return destinations;
}

bool SaveDestinations(const std::vector<Destination>& destinations, const std::filesystem::path& settingsFile) {
  std::vector<std::pair<std::string, std::string>> values;
  for (const Destination& destination : destinations) {
    if (destination.kind == DestinationKind::External) continue;
    values.emplace_back(keyOf(destination, "username"), settingLine(destination.username));
    values.emplace_back(keyOf(destination, "additional"), settingLine(destination.additional));
    values.emplace_back(keyOf(destination, "password"), toHex(scramblePassword(destination.password)));
  }
  // The scrambled passwords make the settings file its owner's alone, from
  // before they are in it; the settings writers keep a file's mode when they
  // replace it, and take turns with the other writers under their lock.
  std::error_code error;
  std::filesystem::create_directories(settingsFile.parent_path(), error);
  const int descriptor = ::open(settingsFile.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (descriptor < 0) return false;
  const bool ownerOnly = ::fchmod(descriptor, 0600) == 0;
  ::close(descriptor);
  return ownerOnly && WriteProgramSettingLines(ProgramSettingsFile{settingsFile}, values);
}

}  // namespace brambel
