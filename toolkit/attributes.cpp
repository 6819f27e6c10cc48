#include "toolkit/attributes.h"

#include <cctype>

namespace brambel {

namespace {

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)); }

}  // namespace

// Reads "(\w+)\s*(?:=\s*((\"[^\"]*\")|(\S*)))?" match after match, by hand so
// that a long run without a closing quote is looked at only once.
void parseAttributes(AttributeMap& attributes, std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    if (!isWordChar(text[pos])) {
      ++pos;
      continue;
    }
    size_t nameStart = pos;
    while (pos < text.size() && isWordChar(text[pos])) ++pos;
    std::string_view name = text.substr(nameStart, pos - nameStart);
    size_t at = pos;
    while (at < text.size() && isSpace(text[at])) ++at;
    std::string_view value;
    if (at < text.size() && text[at] == '=') {
      ++at;
      while (at < text.size() && isSpace(text[at])) ++at;
      size_t valueStart = at;
      size_t closingQuote =
          at < text.size() && text[at] == '"' ? text.find('"', at + 1) : std::string_view::npos;
      if (closingQuote != std::string_view::npos) {
        at = closingQuote + 1;
      } else {
        while (at < text.size() && !isSpace(text[at])) ++at;
      }
      value = text.substr(valueStart, at - valueStart);
    }
    pos = at;
    attributes.emplace(name, value);
  }
}

std::string withoutSurroundingQuotes(std::string_view value) {
  size_t start = value.find_first_not_of("\"'");
  if (start == std::string_view::npos) return {};
  return std::string(value.substr(start, value.find_last_not_of("\"'") - start + 1));
}

}  // namespace brambel
