#include "pipeline/page_rewriting.h"

#include <cstdio>
#include <set>
#include <unordered_map>
#include <vector>

#include <boost/regex.hpp>

#include "pipeline/url_join.h"
#include "sources/page_walk.h"
#include "toolkit/ascii_case.h"

namespace brambel {

namespace {

constexpr auto kIcase = boost::regex::perl | boost::regex::icase;

// Rebuilds `text` with every match of `pattern` replaced by what `replace`
// makes of it.
std::string replaceMatches(const std::string& text, const boost::regex& pattern,
                           const std::function<std::string(const boost::smatch&)>& replace) {
  std::string out;
  size_t copied = 0;
  forEachMatch(text, pattern, [&](const boost::smatch& match) {
    const size_t start = static_cast<size_t>(match.position());
    out.append(text, copied, start - copied);
    out += replace(match);
    copied = start + static_cast<size_t>(match.length());
    return true;
  });
  out.append(text, copied, std::string::npos);
  return out;
}

bool equalsIgnoringCase(std::string_view text, std::string_view lowerWord) {
  return text.size() == lowerWord.size() && startsWithIgnoringCase(text, 0, lowerWord);
}

// Resolves the imports of the sheets of one page. Every sheet on the way in
// is remembered, so a sheet that imports itself, directly or round a cycle,
// is not fetched again; fetches and depth are bounded.
class SheetInliner {
 public:
  SheetInliner(const SheetFetcher& fetch, const InlineLimits& limits) : fetch_(fetch), limits_(limits) {}

  std::optional<std::string> sheet(const std::u16string& url, int depth) {
    if (onTheWay_.count(url) || fetched_ >= limits_.maxSheets) return std::nullopt;
    ++fetched_;
    std::optional<std::string> text = fetch_(url);
    if (!text) return std::nullopt;
    onTheWay_.insert(url);
    std::string resolved = resolveImports(*text, url, depth + 1);
    onTheWay_.erase(url);
    return resolved;
  }

  std::string resolveImports(const std::string& css, const std::u16string& baseUrl, int depth) {
    static const boost::regex kImport(R"(@import[ ]+(/\*.*?\*/)?(url\()?["']?([^"')]+)["']?\)?;)", kIcase);
    return replaceMatches(css, kImport, [&](const boost::smatch& match) {
      if (depth > limits_.maxImportDepth) return std::string();
      const std::u16string target = joinUrl(baseUrl, fromUtf8(match.str(3)));
      if (target.empty()) return std::string();
      return sheet(target, depth).value_or(std::string());
    });
  }

 private:
  const SheetFetcher& fetch_;
  const InlineLimits& limits_;
  std::set<std::u16string> onTheWay_;
  size_t fetched_ = 0;
};

std::string styleElementFor(const std::string& attributeText, const std::u16string& pageUrl, SheetInliner& inliner,
                            const std::string& original) {
  static const boost::regex kAttribute(R"(([a-zA-Z_-]+)[ ]*=[ ]*("|')([^"']*)("|'))");
  std::unordered_map<std::string, std::string> attributes;
  forEachMatch(attributeText, kAttribute, [&](const boost::smatch& match) {
    std::string name = match.str(1);
    for (char& c : name) c = asciiLower(c);
    attributes.emplace(std::move(name), match.str(3));
    return true;
  });
  auto rel = attributes.find("rel");
  auto href = attributes.find("href");
  if (rel == attributes.end() || !equalsIgnoringCase(rel->second, "stylesheet") || href == attributes.end())
    return original;
  std::string address = href->second;
  for (size_t at = address.find("&amp;"); at != std::string::npos; at = address.find("&amp;", at + 1))
    address.replace(at, 5, "&");
  const std::u16string sheetUrl = joinUrl(pageUrl, fromUtf8(address));
  if (sheetUrl.empty()) return original;
  std::optional<std::string> sheet = inliner.sheet(sheetUrl, 0);
  if (!sheet) return original;
  std::string element = "<style ";
  for (const char* name : {"type", "media", "title"}) {
    auto found = attributes.find(name);
    if (found != attributes.end()) element += std::string(name) + "=\"" + found->second + "\" ";
  }
  return element + ">" + *sheet + "</style>";
}

// The end of the first head tag, else of the first html tag; npos without either.
size_t afterHeadTag(const std::string& page) {
  static const boost::regex kHead(R"((<\s*head[^>]*>))", kIcase);
  static const boost::regex kHtml(R"((<\s*html[^>]*>))", kIcase);
  boost::smatch match;
  if (searchText(page, match, kHead) || searchText(page, match, kHtml))
    return static_cast<size_t>(match.position() + match.length());
  return std::string::npos;
}

}  // namespace

std::string inlineStyleSheets(const std::string& page, const std::u16string& pageUrl, const SheetFetcher& fetch,
                              const InlineLimits& limits) {
  static const boost::regex kStyleBlock(R"((<\s*style\s+[^>]*?type="text/css"[^>]*>)(.*?)(</style>))", kIcase);
  static const boost::regex kLink(R"(<[ ]*link\s+([^>]*)>)", kIcase);
  SheetInliner inliner(fetch, limits);
  std::string withBlocks = replaceMatches(page, kStyleBlock, [&](const boost::smatch& match) {
    return match.str(1) + inliner.resolveImports(match.str(2), pageUrl, 0) + match.str(3);
  });
  return replaceMatches(withBlocks, kLink, [&](const boost::smatch& match) {
    return styleElementFor(match.str(1), pageUrl, inliner, match.str(0));
  });
}

std::string insertBaseHref(const std::u16string& url, const std::string& page) {
  static const boost::regex kBase(R"(<\s*base([^>]*)>)", kIcase);
  const size_t after = afterHeadTag(page);
  if (after == std::string::npos) return page;
  const std::string address = toUtf8(url);
  boost::smatch match;
  const std::string rest = page.substr(after);
  if (searchText(rest, match, kBase)) {
    const std::string attributes = match.str(1);
    bool hasHref = false;
    for (size_t at = 0; at + 5 <= attributes.size() && !hasHref; ++at)
      hasHref = startsWithIgnoringCase(std::string_view(attributes), at, "href=");
    if (hasHref) return page;
    // Inside the tag, before its closing "/>" or ">".
    size_t close = after + static_cast<size_t>(match.position() + match.length()) - 1;
    if (close > after && page[close - 1] == '/') --close;
    std::string result = page;
    result.insert(close, " href=\"" + address + "\"");
    return result;
  }
  std::string result = page;
  result.insert(after, "<base href=\"" + address + "\"/>");
  return result;
}

std::string insertContentTypeMeta(const std::u16string& contentType, const std::string& page) {
  static const boost::regex kMeta(R"(<\s*meta[ ]+http-equiv="content-type"([^>]*)>)", kIcase);
  const size_t after = afterHeadTag(page);
  if (after == std::string::npos) return page;
  boost::smatch match;
  const std::string rest = page.substr(after);
  if (searchText(rest, match, kMeta)) return page;
  std::string result = page;
  result.insert(after, "<meta http-equiv=\"content-type\" content=\"" + toUtf8(contentType) + "\"/>");
  return result;
}

std::string insertSavedFromMarker(const std::u16string& url, const std::string& page) {
  char length[16];
  std::snprintf(length, sizeof length, "%04d", static_cast<int>(url.size()));
  const std::string marker = std::string("<!-- saved from url=(") + length + ")" + toUtf8(url) + " -->\r\n";
  size_t html = std::string::npos;
  for (size_t at = 0; at + 5 <= page.size(); ++at) {
    if (startsWithIgnoringCase(std::string_view(page), at, "<html")) {
      html = at;
      break;
    }
  }
  std::string result = page;
  result.insert(html == std::string::npos ? 0 : html, marker);
  return result;
}

}  // namespace brambel
