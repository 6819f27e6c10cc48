#include "app/settings_text.h"

#include <algorithm>
#include <limits>

#include "toolkit/ascii_case.h"
#include "toolkit/blank_text.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

// The key of a key=value line, lower-cased and trimmed; nothing for a line
// that is not one.
std::optional<std::string> lineKey(std::string_view line) {
  line = trimmed(line);
  if (line.empty() || line.front() == '[') return std::nullopt;
  size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return lowerAscii(trimmed(line.substr(0, equals)));
}

void addLine(SettingsMap& map, std::string_view line) {
  std::optional<std::string> key = lineKey(line);
  if (!key) return;
  line = trimmed(line);
  map[*key] = std::string(trimmed(line.substr(line.find('=') + 1)));
}

}  // namespace

SettingsMap parseSettingsLines(std::string_view text) {
  SettingsMap map;
  for (std::string_view line : splitLines(text)) addLine(map, line);
  return map;
}

SettingsMap parseSettingsSection(std::string_view text, std::string_view section) {
  if (section.empty()) return parseSettingsLines(text);
  std::string header = "[" + lowerAscii(section) + "]";
  SettingsMap map;
  bool inside = false;
  for (std::string_view line : splitLines(text)) {
    std::string_view bare = trimmed(line);
    if (!bare.empty() && bare.front() == '[') {
      // A value may hold "[" (a URL, a stop word); only a line that begins
      // with one starts another section.
      if (inside) break;
      inside = startsWithIgnoringCase(bare, 0, header);
      continue;
    }
    if (inside) addLine(map, bare);
  }
  return map;
}

std::string updateSettingsLines(std::string_view existing,
                                const std::vector<std::pair<std::string, std::string>>& values) {
  std::vector<std::string> lines;
  std::vector<bool> written(values.size(), false);
  auto indexOf = [&](const std::string& key) -> std::optional<size_t> {
    for (size_t i = 0; i < values.size(); ++i)
      if (lowerAscii(values[i].first) == key) return i;
    return std::nullopt;
  };
  for (std::string_view line : splitLines(existing)) {
    std::optional<std::string> key = lineKey(line);
    std::optional<size_t> index = key ? indexOf(*key) : std::nullopt;
    if (!index) {
      if (!trimmed(line).empty()) lines.emplace_back(line);
    } else if (!written[*index]) {
      lines.push_back(values[*index].first + "=" + values[*index].second);
      written[*index] = true;
    }
  }
  for (size_t i = 0; i < values.size(); ++i)
    if (!written[i]) lines.push_back(values[i].first + "=" + values[i].second);
  return joinLines(lines) + "\r\n";
}

std::optional<long long> parseDecimal(std::string_view text) {
  text = trimmed(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 18) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

bool settingBool(const SettingsMap& map, std::string_view key, bool fallback) {
  auto found = map.find(lowerAscii(key));
  if (found == map.end()) return fallback;
  return parseDecimal(found->second).value_or(0) != 0;
}

uint32_t settingNumber(const SettingsMap& map, std::string_view key, uint32_t fallback) {
  auto found = map.find(lowerAscii(key));
  if (found == map.end()) return fallback;
  long long value = parseDecimal(found->second).value_or(0);
  return value < 0 || value > std::numeric_limits<uint32_t>::max() ? 0 : static_cast<uint32_t>(value);
}

std::u16string settingString(const SettingsMap& map, std::string_view key, std::u16string_view fallback) {
  auto found = map.find(lowerAscii(key));
  return found == map.end() ? std::u16string(fallback) : toWide(found->second, kCodePageUtf8);
}

}  // namespace brambel
