#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brambel {

// Settings text is key=value lines (UTF-8). Keys compare without case: a
// SettingsMap holds them lower-cased, values as written (UTF-8).
using SettingsMap = std::map<std::string, std::string>;

// The whole text as key=value lines: each line trimmed at both ends, lines
// without "=" ignored, split at the first "=", key and value trimmed. A later
// line wins over an earlier one with the same key.
SettingsMap parseSettingsLines(std::string_view text);

// The lines of the section "[name]" only (name matched without case): from
// the line after its header to the next line that begins with "[". With an
// empty name, the whole text. Lines beginning with "[" are never key=value
// lines. A section that is not there gives an empty map.
SettingsMap parseSettingsSection(std::string_view text, std::string_view section);

// `existing` with every (key, value) of `values` replacing the line of that
// key (without case) or, when there is none, added at the end; the other
// lines stay as they were. Lines end with CR LF.
std::string updateSettingsLines(std::string_view existing,
                                const std::vector<std::pair<std::string, std::string>>& values);

// A decimal integer with an optional sign, blanks around it allowed; nothing
// for anything else.
std::optional<long long> parseDecimal(std::string_view text);

// Typed reads (the key in any case); `fallback` when the key is missing. A value that is not a
// decimal number reads as 0 (false).
bool settingBool(const SettingsMap& map, std::string_view key, bool fallback);
uint32_t settingNumber(const SettingsMap& map, std::string_view key, uint32_t fallback);
std::u16string settingString(const SettingsMap& map, std::string_view key, std::u16string_view fallback);

}  // namespace brambel
