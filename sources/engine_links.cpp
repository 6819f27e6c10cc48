#include "sources/engine_links.h"

#include <boost/regex.hpp>

#include "sources/element_walk.h"
#include "sources/page_text.h"
#include "toolkit/ascii_case.h"
#include "toolkit/guarded_regex.h"
#include "toolkit/url_codec.h"

namespace brambel {

std::u16string engineResultLink(std::string href, std::u16string_view baseUrl) {
  href = withoutSurroundingQuotes(href);
  size_t http = href.find("http");
  if (http == 0 || http == 1) return fromUtf8(href);
  static const boost::regex kEmbedded(R"([-=](http[^&"]*))", boost::regex::perl);
  boost::smatch match;
  if (guardedSearch(href, match, kEmbedded)) return decodeUrl(fromUtf8(match.str(1)));
  return std::u16string(baseUrl) + fromUtf8(href);
}

std::u16string findLabelledLink(std::string_view text, std::string_view label) {
  std::u16string link;
  std::u16string wanted = lowerAscii(fromUtf8(label));
  forEachElement(text, "/a", false, [&](const std::string& inner, const AttributeMap& attributes, std::string_view) {
    if (lowerAscii(plainText(inner)) == wanted && attributes.count("href"))
      link = withPlainAmpersands(fromUtf8(attributeText(attributes, "href")));
    return true;
  });
  return link;
}

}  // namespace brambel
