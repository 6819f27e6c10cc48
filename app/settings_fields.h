#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "app/settings_text.h"
#include "toolkit/code_pages.h"

namespace brambel {

// One setting of a settings record: its key and the record member holding it
// (a number, a boolean stored as 0 or 1, or a text).
template <typename Record>
struct SettingField {
  const char* key;
  std::variant<uint32_t Record::*, bool Record::*, std::u16string Record::*> member;
};

// Sets each field found in `map`; a missing key leaves the member as it is.
template <typename Record, typename Fields>
void readSettingFields(Record& record, const SettingsMap& map, const Fields& fields) {
  for (const SettingField<Record>& field : fields) {
    std::visit(
        [&](auto member) {
          auto& value = record.*member;
          using Value = std::remove_reference_t<decltype(value)>;
          if constexpr (std::is_same_v<Value, bool>)
            value = settingBool(map, field.key, value);
          else if constexpr (std::is_same_v<Value, uint32_t>)
            value = settingNumber(map, field.key, value);
          else
            value = settingString(map, field.key, value);
        },
        field.member);
  }
}

// A text value as one line of UTF-8: a line break inside would start another key.
inline std::string settingLine(const std::u16string& text) {
  std::string narrow = toNarrow(text, kCodePageUtf8);
  for (char& c : narrow)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return narrow;
}

// (key, value text) of every field, in the fields' order.
template <typename Record, typename Fields>
std::vector<std::pair<std::string, std::string>> settingFieldValues(const Record& record, const Fields& fields) {
  std::vector<std::pair<std::string, std::string>> values;
  for (const SettingField<Record>& field : fields) {
    std::visit(
        [&](auto member) {
          const auto& value = record.*member;
          if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, std::u16string>)
            values.emplace_back(field.key, settingLine(value));
          else
            values.emplace_back(field.key, std::to_string(static_cast<uint32_t>(value)));
        },
        field.member);
  }
  return values;
}

}  // namespace brambel
