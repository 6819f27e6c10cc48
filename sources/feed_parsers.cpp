#include "sources/feed_parsers.h"

#include <cstdint>

#include <boost/regex.hpp>

#include "sources/element_walk.h"
#include "sources/page_text.h"
#include "toolkit/guarded_regex.h"
#include "toolkit/entities.h"
#include "toolkit/feed_scanner.h"
#include "toolkit/html_to_text.h"
#include "toolkit/http_date.h"
#include "toolkit/markup.h"
#include "toolkit/path_query.h"
#include "toolkit/text_normalize.h"
#include "toolkit/url_codec.h"
#include "toolkit/blank_text.h"

namespace brambel {
namespace {

struct FeedFlags {
  bool parseSubUrl;
  bool titleOverride;
  bool imagesPreferred;
  bool imagesOverride;

  explicit FeedFlags(const ParameterMap& parameters)
      : parseSubUrl(isParameterSet(parameters, u"parseSubURL")),
        titleOverride(isParameterSet(parameters, u"titleOverride")),
        imagesPreferred(isParameterSet(parameters, u"imagesPrefered")),
        imagesOverride(isParameterSet(parameters, u"imagesOverride")) {}
};

// Aggregators wrap the real address into their own link
// ("http://news.example/r?url=http%3A%2F%2Fstory..."): the first address
// after the link's own scheme, percent-decoded, is the one that matters.
std::u16string unwrapSubUrl(const std::u16string& link) {
  if (link.size() <= 4) return link;
  static const boost::regex kEmbedded(R"((http[^&"]*))", boost::regex::perl);
  std::string tail = toUtf8(link.substr(4));
  boost::smatch match;
  if (!guardedSearch(tail, match, kEmbedded)) return link;
  return decodeUrl(fromUtf8(match.str(1)));
}

// The first picture an item offers: its image element, its media content,
// its media thumbnail, or the first image tag of its description.
std::string itemImage(const FeedItem& item, const std::string& decodedDescription) {
  for (const std::string* candidate : {&item.image, &item.mediaUrl, &item.thumbnailUrl})
    if (!candidate->empty()) return *candidate;
  static const boost::regex kImageTag(R"re(<img[^>]*?src="([^"]+)")re", boost::regex::perl | boost::regex::icase);
  boost::smatch match;
  if (guardedSearch(item.description, match, kImageTag)) return match.str(1);
  // Most feeds escape the markup of their descriptions; look there too.
  if (guardedSearch(decodedDescription, match, kImageTag)) return match.str(1);
  return {};
}

ResultItem rssResult(const FeedItem& feedItem, const FeedFlags& flags) {
  std::string rawLink = feedItem.link.empty() ? feedItem.guid : feedItem.link;
  std::u16string link = fromUtf8(decodeEntities(unwrapCdata(rawLink)));
  std::string title = htmlToText(decodeEntities(feedItem.title));
  std::string description = decodeEntities(unwrapCdata(feedItem.description));

  std::u16string overrideImage;
  if (flags.imagesPreferred || flags.imagesOverride) {
    std::u16string image = fromUtf8(itemImage(feedItem, description));
    if (flags.imagesPreferred && !image.empty()) link = image;
    if (flags.imagesOverride) overrideImage = image;
  }
  if (flags.parseSubUrl) link = unwrapSubUrl(link);

  ResultItem item;
  item.add(u"href", std::u16string(trimmed(link)));
  item.add(flags.titleOverride ? u"override_title" : u"title", fromUtf8(title));
  item.add(u"body", fromUtf8(htmlToText(description)));
  if (!overrideImage.empty()) item.add(u"overrideImage", overrideImage);
  for (size_t i = 0; i < feedItem.sources.size(); ++i)
    item.add(u"source" + fromUtf8(std::to_string(i)), fromUtf8(feedItem.sources[i]));
  if (!feedItem.pubDate.empty()) item.add(u"contentLastModified", fromUtf8(feedItem.pubDate));
  return item;
}

int64_t daysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

}  // namespace

void parseRssFeed(const std::string& page, const ParameterMap& parameters, ResultGroups& groups) {
  FeedFlags flags(parameters);
  std::vector<FeedItem> items;
  std::vector<FeedItem> sponsors;
  extractFeedItems(page, items, &sponsors);

  ResultGroup search{kSearchGroup, {}};
  for (const FeedItem& feedItem : items) search.items.push_back(rssResult(feedItem, flags));
  groups.push_back(std::move(search));

  ResultGroup sponsored{kSponsorsGroup, {}};
  for (const FeedItem& sponsor : sponsors) {
    if (sponsor.link.empty()) continue;
    ResultItem item;
    item.add(u"href", fromUtf8(trimmed(sponsor.link)));
    item.add(u"title", fromUtf8(htmlToText(decodeEntities(sponsor.title))));
    item.add(u"body", fromUtf8(trimmed(htmlToText(decodeEntities(sponsor.description)))));
    sponsored.items.push_back(std::move(item));
  }
  if (!sponsored.items.empty()) groups.push_back(std::move(sponsored));
}

std::optional<std::string> isoTimeToHttpDate(const std::string& text) {
  static const boost::regex kIsoTime(
      R"(([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})(\.[0-9]{2})?(Z|(([+-])([0-9]{2}):([0-9]{2}))))",
      boost::regex::perl);
  boost::smatch match;
  if (!guardedSearch(text, match, kIsoTime)) return std::nullopt;
  auto field = [&](int group) { return std::stoi(match.str(group)); };
  int year = field(1), month = field(2), day = field(3);
  int hour = field(4), minute = field(5), second = field(6);
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
    return std::nullopt;
  int64_t seconds = daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  // A stamp written with a zone shift is that much ahead of (or behind) GMT.
  if (match[10].matched) {
    int shift = field(11) * 3600 + field(12) * 60;
    seconds += match.str(10) == "+" ? -shift : shift;
  }
  if (seconds < 0 || seconds > UINT32_MAX) return std::nullopt;
  return formatHttpDate(static_cast<uint32_t>(seconds));
}

void parseAtomFeed(const std::string& page, const ParameterMap& parameters, ResultGroups& groups) {
  FeedFlags flags(parameters);
  ResultGroup search{kSearchGroup, {}};
  std::string feed = findPath(page, "/feed", {}, true);
  forEachElement(feed, "/entry", true, [&](const std::string& entry, const AttributeMap&, std::string_view) {
    // Atom 0.3 names the parts "content" and "modified"; Atom 1.0 feeds often
    // carry only a "summary" and name the time "updated" or "published".
    std::string body = findPath(entry, "/content");
    if (body.empty()) body = findPath(entry, "/summary");
    std::string date = findPath(entry, "/modified");
    if (date.empty()) date = findPath(entry, "/updated");
    if (date.empty()) date = findPath(entry, "/published");
    AttributeMap linkAttributes;
    findPath(entry, "/link", {}, false, &linkAttributes);
    std::u16string link = withPlainAmpersands(fromUtf8(attributeText(linkAttributes, "href")));
    if (flags.parseSubUrl) link = unwrapSubUrl(link);

    ResultItem item;
    item.add(u"href", std::u16string(trimmed(link)));
    item.add(flags.titleOverride ? u"override_title" : u"title",
             fromUtf8(htmlToText(decodeEntities(unwrapCdata(findPath(entry, "/title"))))));
    item.add(u"body", fromUtf8(htmlToText(decodeEntities(unwrapCdata(body)))));
    if (std::optional<std::string> modified = isoTimeToHttpDate(date))
      item.add(u"contentLastModified", fromUtf8(*modified));
    search.items.push_back(std::move(item));
    return true;
  });
  groups.push_back(std::move(search));
}

}  // namespace brambel
