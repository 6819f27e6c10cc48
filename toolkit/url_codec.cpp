#include "toolkit/url_codec.h"

#include <string_view>

#include "toolkit/code_page_converter.h"
#include "toolkit/code_pages.h"

namespace brambel {
namespace {

constexpr std::u16string_view kEscapedAscii = u"\"%&+,/:=?";
constexpr char16_t kHexDigits[] = u"0123456789abcdef";

// Always two digits, so that the escape cannot swallow a hex digit that follows it.
void appendEscapedByte(std::u16string& out, unsigned char byte) {
  out += u'%';
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0xF];
}

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

int hexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

std::u16string encodeUrl(const std::u16string& text, int codePage) {
  std::u16string out;
  out.reserve(text.size() * 3);
  CodePageConverter converter(codePage);
  for (size_t at = 0; at < text.size(); ++at) {
    char16_t c = text[at];
    if (c == u' ') {
      out += u'+';
    } else if (kEscapedAscii.find(c) != kEscapedAscii.npos) {
      appendEscapedByte(out, static_cast<unsigned char>(c));
    } else if (c > 127) {
      // A surrogate pair is one character and is converted as one.
      size_t units = isHighSurrogate(c) && at + 1 < text.size() && isLowSurrogate(text[at + 1]) ? 2 : 1;
      auto bytes = converter.fromUtf16(std::u16string_view(text).substr(at, units));
      if (bytes) {
        for (char byte : *bytes) appendEscapedByte(out, static_cast<unsigned char>(byte));
      }
      at += units - 1;
    } else {
      out += c;
    }
  }
  return out;
}

std::u16string encodeUrlUtf8(const std::u16string& text) { return encodeUrl(text, kCodePageUtf8); }

std::u16string decodeUrl(const std::u16string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size(); ++at) {
    char16_t c = text[at];
    if (c == u'+') {
      out += u' ';
    } else if (c == u'%') {
      int value = 0;
      size_t digits = 0;
      for (int digit; digits < 2 && at + 1 < text.size() && (digit = hexValue(text[at + 1])) >= 0; ++digits, ++at) {
        value = value * 16 + digit;
      }
      if (digits > 0) out += static_cast<char16_t>(value);
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace brambel
