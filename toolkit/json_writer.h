#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace brambel {

// JSON output for the command-line tools: one object per line, strings always
// valid UTF-8. Byte text is read as UTF-8; each ill-formed sequence becomes
// one U+FFFD. Wide text is UTF-16; an unpaired surrogate becomes U+FFFD.

// Appends `text` to `out` as a quoted JSON string.
void appendJsonString(std::string& out, std::string_view text);
void appendJsonString(std::string& out, std::u16string_view text);

// `text` as a quoted JSON string.
std::string jsonString(std::string_view text);

// Builds one flat JSON object, fields in the order they are added:
//   JsonObjectWriter().add("href", href).add("count", 3).str()
//     == R"({"href":"...","count":3})"
class JsonObjectWriter {
 public:
  JsonObjectWriter& add(std::string_view key, std::string_view value);
  JsonObjectWriter& add(std::string_view key, const char* value) { return add(key, std::string_view(value)); }
  JsonObjectWriter& add(std::string_view key, std::u16string_view value);
  template <std::integral Number>
  JsonObjectWriter& add(std::string_view key, Number value) {
    if constexpr (std::is_same_v<Number, bool>) return addRaw(key, value ? "true" : "false");
    else return addRaw(key, std::to_string(value));
  }
  JsonObjectWriter& add(std::string_view key, const std::vector<std::string>& values);
  // `json` must already be valid JSON (a nested object or array).
  JsonObjectWriter& addRaw(std::string_view key, std::string_view json);

  // The finished object, "{}" when nothing was added.
  std::string str() const { return text_ + "}"; }

 private:
  void beginField(std::string_view key);

  std::string text_ = "{";
};

}  // namespace brambel
