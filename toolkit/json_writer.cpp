#include "toolkit/json_writer.h"

#include <cstdint>

#include "toolkit/utf8_conversion.h"

namespace brambel {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendEscaped(std::string& out, char32_t code) {
  static const char kHex[] = "0123456789abcdef";
  switch (code) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    default: break;
  }
  if (code < 0x20 || code == 0x7F) {
    out += "\\u00";
    out += kHex[code >> 4];
    out += kHex[code & 0xF];
  } else {
    appendUtf8(out, code);
  }
}

// Decodes one UTF-8 sequence at `pos`, advancing `pos`. An ill-formed
// sequence yields U+FFFD and skips its maximal valid prefix (at least one
// byte), so that the next well-formed character is kept.
char32_t decodeUtf8(std::string_view text, size_t& pos) {
  auto byte = static_cast<uint8_t>(text[pos++]);
  if (byte < 0x80) return byte;
  int length;
  char32_t code;
  uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (byte >= 0xC2 && byte <= 0xDF) {
    length = 2, code = byte & 0x1F;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    length = 3, code = byte & 0x0F;
    if (byte == 0xE0) low = 0xA0;         // overlong
    if (byte == 0xED) high = 0x9F;        // surrogates
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    length = 4, code = byte & 0x07;
    if (byte == 0xF0) low = 0x90;         // overlong
    if (byte == 0xF4) high = 0x8F;        // above U+10FFFF
  } else {
    return kReplacement;
  }
  for (int i = 1; i < length; ++i) {
    if (pos >= text.size()) return kReplacement;
    auto next = static_cast<uint8_t>(text[pos]);
    if (next < low || next > high) return kReplacement;
    low = 0x80, high = 0xBF;
    code = (code << 6) | (next & 0x3F);
    ++pos;
  }
  return code;
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
  out += '"';
  size_t pos = 0;
  while (pos < text.size()) appendEscaped(out, decodeUtf8(text, pos));
  out += '"';
}

void appendJsonString(std::string& out, std::u16string_view text) {
  out += '"';
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = kReplacement;
    }
    appendEscaped(out, code);
  }
  out += '"';
}

std::string jsonString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  appendJsonString(out, text);
  return out;
}

void JsonObjectWriter::beginField(std::string_view key) {
  if (text_.size() > 1) text_ += ',';
  appendJsonString(text_, key);
  text_ += ':';
}

JsonObjectWriter& JsonObjectWriter::add(std::string_view key, std::string_view value) {
  beginField(key);
  appendJsonString(text_, value);
  return *this;
}

JsonObjectWriter& JsonObjectWriter::add(std::string_view key, std::u16string_view value) {
  beginField(key);
  appendJsonString(text_, value);
  return *this;
}

JsonObjectWriter& JsonObjectWriter::add(std::string_view key, const std::vector<std::string>& values) {
  beginField(key);
  text_ += '[';
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) text_ += ',';
    appendJsonString(text_, values[i]);
  }
  text_ += ']';
  return *this;
}

JsonObjectWriter& JsonObjectWriter::addRaw(std::string_view key, std::string_view json) {
  beginField(key);
  text_ += json;
  return *this;
}

}  // namespace brambel
