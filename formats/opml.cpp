#include "formats/opml.h"

#include <algorithm>
#include <string_view>

#include "formats/category_membership.h"
#include "formats/source_naming.h"
#include "formats/source_table.h"
#include "formats/text_lines.h"
#include "toolkit/ascii_case.h"
#include "toolkit/character_references.h"
#include "toolkit/code_pages.h"
#include "toolkit/entities.h"
#include "toolkit/path_query.h"
#include "toolkit/url_resolver.h"
#include "toolkit/utf8_conversion.h"

namespace brambel {
namespace {

// Folders nest in outlines of their own; a file nesting deeper than any
// reader would is not followed further, so a hostile file cannot exhaust the stack.
constexpr int kDeepestFolder = 64;

// An attribute's value as the file meant it. XML character references name
// Unicode code points whatever their value (the page decoder keeps values
// below 256 as bytes of a code page), so they are decoded here; names go
// through the shared entity table. Double quotes are dropped.
std::u16string attributeText(std::string_view raw) {
  std::u16string text = utf8ToUtf16(raw).value_or(u"");
  std::u16string out;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text[at] == u'&' ? text.find(u';', at) : std::u16string::npos;
    if (end != std::u16string::npos && end - at <= 12) {
      std::u16string_view name(text.data() + at + 1, end - at - 1);
      std::optional<char16_t> named = entityReplacement(name);
      char32_t value = named ? *named : 0;
      if (!named && name == u"apos") value = u'\'';
      if (!named && name.size() > 1 && name[0] == u'#') value = numericReferenceValue(name.substr(1));
      if (value != 0) {
        std::string utf8;
        appendUtf8(utf8, value);
        out += utf8ToUtf16(utf8).value_or(u"");
        at = end + 1;
        continue;
      }
    }
    out += text[at++];
  }
  std::erase(out, u'"');
  return out;
}

// The value of attribute `name` (any case: files in the wild write "xmlurl").
std::optional<std::u16string> attribute(const AttributeMap& attributes, std::string_view name) {
  for (const auto& [key, value] : attributes)
    if (key.size() == name.size() && std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
          return (a | 0x20) == (b | 0x20);
        }))
      return attributeText(value);
  return std::nullopt;
}

class OutlineReader {
 public:
  OutlineReader(CategorySet& set, SourceTable& table, std::string baseUrl)
      : set_(set), table_(table), baseUrl_(std::move(baseUrl)) {}

  // Reads every outline of `markup` into the category named `target`.
  void read(std::string_view markup, const std::u16string& target, int depth) {
    std::string_view rest = markup;
    for (;;) {
      AttributeMap attributes;
      std::string_view before = rest;
      std::string inner = findPath(rest, "/outline", {}, true, &attributes, &rest);
      // A walk past the last outline leaves the rest as it was.
      if (rest.data() == before.data() && rest.size() == before.size()) break;
      readOutline(attributes, inner, target, depth);
    }
  }

 private:
  void readOutline(const AttributeMap& attributes, const std::string& inner, const std::u16string& target,
                   int depth) {
    std::u16string name = attribute(attributes, "title").value_or(u"");
    if (name.empty()) name = attribute(attributes, "text").value_or(u"");
    std::optional<std::u16string> feedUrl = attribute(attributes, "xmlUrl");
    if (feedUrl && !name.empty()) {
      addFeed(name, *feedUrl, attribute(attributes, "type").value_or(u""), target);
      return;
    }
    // A folder, or an outline without a name whose inner feeds stay where they were.
    if (depth < kDeepestFolder && !inner.empty()) read(inner, name.empty() ? target : name, depth + 1);
  }

  void addFeed(const std::u16string& name, const std::u16string& url, const std::u16string& type,
               const std::u16string& target) {
    SourceDefinition definition;
    definition.baseKey = equalsIgnoringAsciiCase(type, u"atom") ? u"atom" : u"rss";
    definition.parameters[u"url"] = url;
    if (!baseUrl_.empty())
      if (auto resolved = resolveUrl(baseUrl_, utf16ToUtf8(url).value_or(""))) definition.parameters[u"url"] = utf8ToUtf16(*resolved).value_or(url);
    definition.name = uniqueSourceName(name, table_);
    std::u16string identity;
    if (table_.AddDefinition(std::move(definition), &identity) == SourceTable::AddResult::UnknownBaseKey) return;
    addReference(findOrAddCategory(set_, target), identity);
  }

  CategorySet& set_;
  SourceTable& table_;
  std::string baseUrl_;
};

}  // namespace

std::u16string writeOpml(const CategorySet& set, const SourceTable& table, const std::u16string& title) {
  std::u16string out =
      u"<?xml version=\"1.0\"  encoding=\"utf-8\"?>\r\n<opml version=\"1.0\">\r\n<head>\r\n<title>" +
      escapeMarkup(title) + u"</title>\r\n</head>\r\n<body>\r\n";
  for (const Category& category : set.categories) {
    bool opened = false;
    for (const std::u16string& identity : category.references) {
      const SearchSource* source = table.find(identity);
      if (!source) continue;
      std::u16string key = source->GetKey();
      auto url = source->parameters().find(u"url");
      if ((key != u"rss" && key != u"atom") || url == source->parameters().end()) continue;
      if (!opened) {
        std::u16string name = escapeMarkup(category.name);
        out += u"<outline title=\"" + name + u"\" text=\"" + name + u"\">\r\n";
        opened = true;
      }
      std::u16string feedTitle = escapeMarkup(source->GetInfo().displayName);
      out += u"<outline title=\"" + feedTitle + u"\" text=\"" + feedTitle + u"\" xmlUrl=\"" +
             escapeMarkup(url->second) + u"\" type=\"" + key + u"\"/>\r\n";
    }
    if (opened) out += u"</outline>\r\n";
  }
  return out + u"</body>\r\n</opml>\r\n";
}

bool readOpml(CategorySet& set, SourceTable& table, const std::u16string& text, const std::u16string& baseUrl) {
  std::string utf8 = utf16ToUtf8(text).value_or("");
  std::string_view rest = utf8;
  std::string body = findPath(utf8, "/opml/body", {}, true, nullptr, &rest);
  // An empty body still counts when the path was found (the rest moved on).
  if (body.empty() && rest.data() == utf8.data() && rest.size() == utf8.size()) return false;

  bool hadAll = std::any_of(set.categories.begin(), set.categories.end(),
                            [](const Category& c) { return equalsIgnoringAsciiCase(c.name, kAllCategoryName); });
  findOrAddCategory(set, kAllCategoryName);
  OutlineReader(set, table, utf16ToUtf8(baseUrl).value_or("")).read(body, kAllCategoryName, 0);
  if (!hadAll) {
    auto all = std::find_if(set.categories.begin(), set.categories.end(),
                            [](const Category& c) { return equalsIgnoringAsciiCase(c.name, kAllCategoryName); });
    if (all != set.categories.end() && all->references.empty()) set.categories.erase(all);
  }
  return true;
}

}  // namespace brambel
