#include "toolkit/utf8_conversion.h"

#include <unicode/ustring.h>

#include <cstdint>

namespace brambel {
namespace {

// ICU counts in 32-bit lengths; one UTF-16 unit may take three UTF-8 bytes.
constexpr size_t kLongestText = INT32_MAX / 3 - 4;
constexpr UChar32 kReplacementCharacter = 0xFFFD;
constexpr UChar32 kQuestionMark = u'?';

}  // namespace

std::optional<std::u16string> utf8ToUtf16(std::string_view bytes) {
  if (bytes.size() > kLongestText) return std::nullopt;
  // Never more UTF-16 units than bytes.
  std::u16string out(bytes.size(), u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, bytes.data(),
                       static_cast<int32_t>(bytes.size()), kReplacementCharacter, nullptr, &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return std::nullopt;
  out.resize(static_cast<size_t>(length));
  return out;
}

std::optional<std::string> utf16ToUtf8(std::u16string_view text) {
  if (text.size() > kLongestText) return std::nullopt;
  std::string out(text.size() * 3, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, text.data(),
                     static_cast<int32_t>(text.size()), kQuestionMark, nullptr, &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return std::nullopt;
  out.resize(static_cast<size_t>(length));
  return out;
}

void appendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace brambel
