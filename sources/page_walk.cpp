#include "sources/page_walk.h"

#include <boost/regex.hpp>

#include "toolkit/ascii_case.h"
#include "toolkit/code_pages.h"
#include "toolkit/html_to_text.h"
#include "toolkit/path_query.h"
#include "toolkit/url_codec.h"

namespace brambel {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string foldBlanks(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  bool pendingBlank = false;
  for (char c : text) {
    if (isBlank(c)) {
      pendingBlank = !folded.empty();
      continue;
    }
    if (pendingBlank) folded += ' ';
    pendingBlank = false;
    folded += c;
  }
  return folded;
}

std::string withoutQuotes(const std::string& text) {
  size_t start = text.find_first_not_of("\"'");
  if (start == std::string::npos) return {};
  return text.substr(start, text.find_last_not_of("\"'") - start + 1);
}

}  // namespace

std::u16string fromUtf8(std::string_view bytes) { return toWide(std::string(bytes), kCodePageUtf8); }

std::string toUtf8(const std::u16string& text) { return toNarrow(text, kCodePageUtf8); }

std::string attributeText(const AttributeMap& attributes, const std::string& name) {
  auto found = attributes.find(name);
  return found == attributes.end() ? std::string() : withoutQuotes(found->second);
}

bool searchText(const std::string& text, boost::smatch& match, const boost::regex& pattern) {
  try {
    return boost::regex_search(text, match, pattern);
  } catch (const std::runtime_error&) {
    return false;
  }
}

void forEachMatch(const std::string& text, const boost::regex& pattern,
                  const std::function<bool(const boost::smatch&)>& visit) {
  try {
    for (boost::sregex_iterator match(text.begin(), text.end(), pattern), end; match != end; ++match)
      if (!visit(*match)) return;
  } catch (const std::runtime_error&) {
  }
}

std::u16string plainText(std::string_view markup) { return fromUtf8(foldBlanks(htmlToText(markup))); }

void forEachElement(std::string_view text, std::string_view path, bool nested, const ElementVisitor& visit) {
  std::string_view remaining = text;
  while (!remaining.empty()) {
    size_t before = remaining.size();
    AttributeMap attributes;
    std::string inner = findPath(remaining, path, {}, nested, &attributes, &remaining);
    // A step that is not found leaves the rest as it was; every element found
    // consumes at least its own tag, so the walk always ends.
    if (remaining.size() >= before) return;
    if (!visit(inner, attributes, remaining)) return;
  }
}

std::u16string engineResultLink(std::string href, std::u16string_view baseUrl) {
  href = withoutQuotes(href);
  size_t http = href.find("http");
  if (http == 0 || http == 1) return fromUtf8(href);
  static const boost::regex kEmbedded(R"([-=](http[^&"]*))", boost::regex::perl);
  boost::smatch match;
  if (searchText(href, match, kEmbedded)) return decodeUrl(fromUtf8(match.str(1)));
  return std::u16string(baseUrl) + fromUtf8(href);
}

std::u16string findLabelledLink(std::string_view text, std::string_view label) {
  std::u16string link;
  std::u16string wanted = fromUtf8(label);
  auto lower = [](std::u16string s) {
    for (char16_t& c : s) c = asciiLower(c);
    return s;
  };
  wanted = lower(wanted);
  forEachElement(text, "/a", false, [&](const std::string& inner, const AttributeMap& attributes, std::string_view) {
    if (lower(plainText(inner)) == wanted && attributes.count("href"))
      link = withPlainAmpersands(fromUtf8(attributeText(attributes, "href")));
    return true;
  });
  return link;
}

namespace {

// Finds the opening `lowerTag` tags of `text` one by one: visit(start of the
// tag, its attributes) answers whether to go on.
void scanTags(std::string_view text, const std::string& lowerTag,
              const std::function<bool(size_t, const AttributeMap&)>& visit) {
  for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
    size_t name = at + 1;
    while (name < text.size() && text[name] == ' ') ++name;
    if (!startsWithIgnoringCase(text, name, lowerTag)) continue;
    size_t afterName = name + lowerTag.size();
    if (afterName < text.size() && !isBlank(text[afterName]) && text[afterName] != '>' && text[afterName] != '/')
      continue;
    size_t end = text.find('>', afterName);
    if (end == std::string_view::npos) return;
    AttributeMap attributes;
    parseAttributes(attributes, text.substr(afterName, end - afterName));
    if (!visit(at, attributes)) return;
  }
}

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = asciiLower(c);
  return lower;
}

}  // namespace

void forEachTag(std::string_view text, std::string_view tag, const std::function<void(const AttributeMap&)>& visit) {
  scanTags(text, lowerAscii(tag), [&](size_t, const AttributeMap& attributes) {
    visit(attributes);
    return true;
  });
}

std::string elementWithAttribute(std::string_view text, std::string_view tag, const std::string& attribute,
                                 std::string_view value) {
  std::string lowerTag = lowerAscii(tag);
  std::string found;
  scanTags(text, lowerTag, [&](size_t at, const AttributeMap& attributes) {
    if (attributeText(attributes, attribute) != value) return true;
    found = findPath(text.substr(at), "/" + lowerTag, {}, true);
    return false;
  });
  return found;
}

ResultItem anchoredResult(std::string_view block, std::u16string_view baseUrl, std::u16string_view titleName) {
  ResultItem item;
  AttributeMap attributes;
  std::string_view after = block;
  std::string anchor = findPath(block, "/a", {}, true, &attributes, &after);
  if (after.size() == block.size()) return item;
  if (attributes.count("href")) item.add(u"href", engineResultLink(attributes.at("href"), baseUrl));
  item.add(std::u16string(titleName), plainText(anchor));
  item.add(u"body", plainText(after));
  return item;
}

void replaceAttribute(ResultItem& item, std::u16string_view name, std::u16string value) {
  for (ResultAttribute& attribute : item.attributes)
    if (attribute.name == name) {
      attribute.value = std::move(value);
      return;
    }
  item.add(std::u16string(name), std::move(value));
}

std::u16string withPlainAmpersands(std::u16string text) {
  for (size_t at = text.find(u"&amp;"); at != std::u16string::npos; at = text.find(u"&amp;", at + 1))
    text.replace(at, 5, u"&");
  return text;
}

std::string_view cutAt(std::string_view text, std::string_view marker) {
  std::string lowerMarker = lowerAscii(marker);
  for (size_t at = 0; at < text.size(); ++at)
    if (startsWithIgnoringCase(text, at, lowerMarker)) return text.substr(0, at);
  return text;
}

}  // namespace brambel
