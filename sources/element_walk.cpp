#include "sources/element_walk.h"

#include "toolkit/ascii_case.h"
#include "toolkit/blank_text.h"
#include "toolkit/path_query.h"

namespace brambel {
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

}  // namespace

std::string attributeText(const AttributeMap& attributes, const std::string& name) {
  auto found = attributes.find(name);
  return found == attributes.end() ? std::string() : withoutSurroundingQuotes(found->second);
}

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

}  // namespace brambel
