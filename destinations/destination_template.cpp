#include "destinations/destination_template.h"

#include <boost/regex.hpp>

#include "toolkit/guarded_regex.h"
#include "toolkit/code_pages.h"
#include "toolkit/url_codec.h"

namespace brambel {
namespace {

bool isNameCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
}

std::string lowered(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return text;
}

}  // namespace

std::u16string ExpandTemplate(std::u16string_view text, const DestinationVariables& variables) {
  std::u16string out;
  size_t copied = 0;
  for (size_t at = text.find(u"(*"); at != std::u16string_view::npos; at = text.find(u"(*", at + 1)) {
    size_t end = at + 2;
    while (end < text.size() && isNameCharacter(text[end])) ++end;
    if (end >= text.size() || text[end] != u')') continue;
    out.append(text.substr(copied, at - copied));
    if (auto value = variables.find(text.substr(at + 2, end - at - 2)); value != variables.end()) out += value->second;
    copied = end + 1;
    at = end;
  }
  out.append(text.substr(copied));
  return out;
}

std::u16string percentEncode(const std::u16string& value) {
  std::u16string encoded;
  for (char16_t c : encodeUrl(value, kCodePageUtf8)) {
    if (c == u'#') encoded += u"%23";
    else encoded += c;
  }
  return encoded;
}

DestinationVariables percentEncoded(const DestinationVariables& variables) {
  DestinationVariables encoded;
  for (const auto& [name, value] : variables) encoded.emplace(name, percentEncode(value));
  return encoded;
}

void ScrapeHiddenInputs(const std::string& page, DestinationVariables& variables) {
  static const boost::regex kInput("<\\s*input\\s+([^>]*)>", boost::regex::perl | boost::regex::icase);
  static const boost::regex kPair("([a-z0-9_-]+)=\"([^\"]*)\"", boost::regex::perl | boost::regex::icase);
  guardedForEachMatch(page, kInput, [&](const boost::smatch& input) {
    std::string type, name, value;
    guardedForEachMatch(input.str(1), kPair, [&](const boost::smatch& pair) {
      std::string attribute = lowered(pair.str(1));
      if (attribute == "type") type = lowered(pair.str(2));
      else if (attribute == "name") name = pair.str(2);
      else if (attribute == "value") value = pair.str(2);
      return true;
    });
    if (type == "hidden" && !name.empty())
      variables[u"parse_" + toWide(name, kCodePageUtf8)] = toWide(value, kCodePageUtf8);
    return true;
  });
}

}  // namespace brambel
