#pragma once

#include <optional>
#include <string>
#include <string_view>

struct UConverter;

namespace brambel {

// The converter name of a Windows code page (0 is the system code page,
// UTF-8 here), or "" when no converter stands behind the number.
std::string converterNameForCodePage(int codePage);

// Converts between UTF-16 and the bytes of one code page. Owns one converter;
// not shared between threads (opening one is cheap, its tables are shared).
class CodePageConverter {
 public:
  explicit CodePageConverter(int codePage);
  ~CodePageConverter();
  CodePageConverter(const CodePageConverter&) = delete;
  CodePageConverter& operator=(const CodePageConverter&) = delete;

  // False when the code page has no converter; the conversions then answer nothing.
  bool valid() const { return converter_ != nullptr; }

  // Bytes that are not valid in the code page become U+FFFD.
  std::optional<std::u16string> toUtf16(std::string_view bytes);
  // Characters the code page cannot hold become "?".
  std::optional<std::string> fromUtf16(std::u16string_view text);

 private:
  UConverter* converter_ = nullptr;
};

}  // namespace brambel
