#include "toolkit/entities.h"

#include <string_view>

#include "toolkit/ascii_case.h"
#include "toolkit/character_references.h"
#include "toolkit/utf8_conversion.h"

namespace brambel {
namespace {

// Appends what the reference "&[#]name;" stands for. Named entities become
// UTF-8 text; numeric ones below 256 stay one byte, because the page is still
// in its own code page and that byte is the character there.
void appendReference(std::string& out, bool numeric, std::string_view name) {
  if (auto replacement = entityReplacement(name)) {
    appendUtf8(out, *replacement);
    return;
  }
  if (!numeric) return;
  char32_t value = numericReferenceValue(name);
  if (value == 0) return;  // no digits, or a NUL that would cut the text short
  if (value < 256) {
    out += static_cast<char>(value);
  } else {
    appendUtf8(out, value);
  }
}

}  // namespace

std::string decodeEntities(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t copied = 0;
  size_t at = text.find('&');
  while (at != std::string::npos) {
    size_t nameStart = at + 1;
    bool numeric = nameStart < text.size() && text[nameStart] == '#';
    if (numeric) ++nameStart;
    size_t nameEnd = nameStart;
    while (nameEnd < text.size() && isAsciiAlnum(text[nameEnd])) ++nameEnd;
    if (nameEnd < text.size() && text[nameEnd] == ';') {
      out.append(text, copied, at - copied);
      appendReference(out, numeric, std::string_view(text).substr(nameStart, nameEnd - nameStart));
      copied = nameEnd + 1;
      at = text.find('&', copied);
    } else {
      // Not a reference: the "&" and the name are copied as text. The name
      // holds no "&", so the next search starts after it.
      at = text.find('&', nameEnd);
    }
  }
  out.append(text, copied, std::string::npos);
  return out;
}

std::u16string escapeMarkup(const std::u16string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    switch (c) {
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'"': out += u"&quot;"; break;
      case u'&': out += u"&amp;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace brambel
