// Every page parser of the built-in sources on arbitrary bytes. The first
// byte chooses the parser, the second the source flags; the rest is the page.

#include <cstddef>
#include <cstdint>
#include <string>

#include "sources/amazon_source.h"
#include "sources/callaw_source.h"
#include "sources/engine_sources.h"
#include "sources/feed_parsers.h"
#include "sources/google_page.h"
#include "sources/listing_sources.h"
#include "sources/url_source.h"
#include "sources/yahoo_source.h"

namespace {

constexpr size_t kMaxPage = 1 << 16;

brambel::ParameterMap flagsFrom(uint8_t bits) {
  brambel::ParameterMap parameters;
  const char16_t* names[] = {u"parseSubURL", u"titleOverride", u"imagesPrefered", u"imagesOverride", u"grab_uspat"};
  for (int i = 0; i < 5; ++i)
    if (bits & (1 << i)) parameters[names[i]] = u"1";
  return parameters;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > kMaxPage) return 0;
  uint8_t choice = data[0];
  brambel::ParameterMap parameters = flagsFrom(data[1]);
  std::string page(reinterpret_cast<const char*>(data) + 2, size - 2);
  // Pages reach the parsers cut at their first zero byte.
  page.resize(page.find('\0') == std::string::npos ? page.size() : page.find('\0'));

  brambel::ResultGroups groups;
  std::u16string next;
  const auto& engines = brambel::engineProfiles();
  switch (choice % (9 + engines.size())) {
    case 0: brambel::parseRssFeed(page, parameters, groups); break;
    case 1: brambel::parseAtomFeed(page, parameters, groups); break;
    case 2: brambel::parseGooglePage(page, groups, next); break;
    case 3: brambel::parseYahooPage(page, groups, next); break;
    case 4: brambel::AmazonSource::ReadItemSearchAnswer(page, groups); break;
    case 5: brambel::CraigsListSource::ReadListingPage(page, u"http://sfbay.craigslist.org", groups, next); break;
    case 6: brambel::CaLawSource::ReadResultPage(page, groups, next); break;
    case 7: groups.push_back({u"search", {brambel::FullUrlSource::MakePageResult(page, u"http://x/", {"text/html"})}}); break;
    case 8: brambel::parseThottbotPage(page, parameters, groups, next); break;
    default: engines[choice % (9 + engines.size()) - 9]->parsePage(page, parameters, groups, next); break;
  }
  return 0;
}
