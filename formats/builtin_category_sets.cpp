#include "formats/builtin_category_sets.h"

#include "formats/category_set_file.h"
#include "toolkit/code_pages.h"

namespace brambel {
namespace {

// Feed and page addresses that answer today: search feeds take the terms in
// a query parameter ("query_param"), tag feeds as a path segment ("/.rss"
// turns "tags" into "tags/TERM.rss").
const char kGeneralSearch[] = R"([description]
A collection of various types of search.
Web, reference and dictionary lookups, discussion, video, image and torrent feeds.
[startup]
# runs when a library made from this set opens
//source rss url=https://news.ycombinator.com/rss
[source]=Hacker News Search
rss
stories matching the terms
url=https://hnrss.org/newest
query_param=q
[source]=Wikipedia Lookup
url
English Wikipedia search
url=https://en.wikipedia.org/w/index.php
query_param=search
[source]=Wikipedia Site Search
google
web search within the encyclopedia
site=en.wikipedia.org
[source]=Wiktionary
url
dictionary and thesaurus
url=https://en.wiktionary.org/w/index.php
query_param=search
[source]=Merriam-Webster
url
dictionary entry by word
url=https://www.merriam-webster.com/dictionary
query_param=/
[source]=Reddit Search
rss
discussion threads
url=https://www.reddit.com/search.rss
query_param=q
[source]=Vimeo Staff Picks
rss
staff-picked videos
url=https://vimeo.com/channels/staffpicks/videos/rss
[source]=Flickr Tags
rss
public photos by tag
url=https://www.flickr.com/services/feeds/photos_public.gne?format=rss2
query_param=tags
[source]=DistroWatch Torrents
rss
Linux distribution torrents
url=https://distrowatch.com/news/torrents.xml
[source]=Permanent
library
items marked permanent
mode=0
[source]=Recently Hovered
library
items hovered in the last 7 days
mode=2
days=7
[category]=General
rss/https://hnrss.org/newest/
google
yahoo
library/0//
[category]=Reference
url/https://en.wikipedia.org/w/index.php/search/
google/en.wikipedia.org//
[category]=Dictionary
url/https://en.wiktionary.org/w/index.php/search/
url/https://www.merriam-webster.com/dictionary///
[category]=Usenet
googlegroups
rss/https://www.reddit.com/search.rss/
[category]=Video
view=tiled
rss/https://vimeo.com/channels/staffpicks/videos/rss/
[category]=Images
view=tiled
googleimages
rss/https://www.flickr.com/services/feeds/photos_public.gne?format=rss2/
[category]=Torrents
view=list
rss/https://distrowatch.com/news/torrents.xml/
library/2/7/
)";

const char kTorrentSearch[] = R"([description]
A set of categories for performing torrent based searches with a couple tabs for the latest audio/video torrents.
Freely licensed works only: distributions, concert recordings and public-domain films.
[source]=DistroWatch Torrents
rss
Linux distribution torrents
url=https://distrowatch.com/news/torrents.xml
[source]=Live Music Archive
rss
recent concert recordings (torrent per item)
url=https://archive.org/services/collection-rss.php?collection=etree
[source]=Prelinger Archives
rss
recent public-domain films (torrent per item)
url=https://archive.org/services/collection-rss.php?collection=prelinger
[source]=Archive Search
url
Internet Archive search
url=https://archive.org/search
query_param=query
[category]=All
[category]=Search
view=list
url/https://archive.org/search/query/
rss/https://distrowatch.com/news/torrents.xml/
[category]=Recent Audio
rss/https://archive.org/services/collection-rss.php?collection=etree/
[category]=Recent Video
view=tiled
rss/https://archive.org/services/collection-rss.php?collection=prelinger/
)";

const char kNews[] = R"([description]
General set of news categories for tech oriented people.
[source]=Google News Search
rss
news stories matching the terms
url=https://news.google.com/rss/search
query_param=q
[source]=BBC News
rss
world headlines
url=https://feeds.bbci.co.uk/news/rss.xml
[source]=Hacker News
rss
front page
url=https://news.ycombinator.com/rss
[source]=Ars Technica
rss
technology news
url=https://feeds.arstechnica.com/arstechnica/index
[source]=The Verge
rss
technology news
url=https://www.theverge.com/rss/index.xml
[source]=Mastodon Tags
rss
posts by hashtag
url=https://mastodon.social/tags
query_param=/.rss
[source]=GitHub Blog
rss
software news
url=https://github.blog/feed/
[source]=Stack Overflow C++
atom
newest C++ questions
url=https://stackoverflow.com/feeds/tag/c%2b%2b
[source]=Python Insider
atom
Python release news
url=https://blog.python.org/feeds/posts/default
[source]=Vimeo Staff Picks
rss
staff-picked videos
url=https://vimeo.com/channels/staffpicks/videos/rss
[source]=Camera Reviews
rss
camera and gear reviews
url=https://www.dpreview.com/feeds/reviews.xml
[category]=All
[category]=News
rss/https://news.google.com/rss/search/
rss/https://feeds.bbci.co.uk/news/rss.xml/
[category]=Random
rss/https://mastodon.social/tags/
[category]=tech news
rss/https://news.ycombinator.com/rss/
rss/https://feeds.arstechnica.com/arstechnica/index/
rss/https://www.theverge.com/rss/index.xml/
[category]=files
rss/https://github.blog/feed//
[category]=Programming
atom/https://stackoverflow.com/feeds/tag/c%2b%2b/
atom/https://blog.python.org/feeds/posts/default/
[category]=video
view=tiled
rss/https://vimeo.com/channels/staffpicks/videos/rss/
[category]=Equipment
rss/https://www.dpreview.com/feeds/reviews.xml/
)";

const char kDigitalCameras[] = R"([description]
A set of categories for researching the purchase of a digital camera.
[startup]
//source rss url=https://www.dpreview.com/feeds/news.xml
[settings]
batchFirstCategory=1
maxSourceResults=10
[source]=Camera Reviews
rss
camera and gear reviews
url=https://www.dpreview.com/feeds/reviews.xml
[source]=Camera News
rss
camera industry news
url=https://www.dpreview.com/feeds/news.xml
[source]=Photography Guides
google
guides on the photography wiki
site=en.wikibooks.org
[source]=Camera Discussion
rss
photography discussion threads
url=https://www.reddit.com/r/photography/.rss
[source]=Camera Products
amazon
cameras and photo products
searchIndex=Electronics
[source]=Camera Auctions
ebay
camera auctions
category=625
[source]=Camera Listings
craig
cameras for sale nearby
area=sfbay
category=pha
[category]=All
[category]=Guides
google/en.wikibooks.org//
[category]=General
google
rss/https://www.reddit.com/r/photography/.rss/
[category]=Reviews
rss/https://www.dpreview.com/feeds/reviews.xml/
[category]=Amazon
view=tiled
amazon/Electronics/
[category]=Ebay
view=list
ebay/625/
craig/sfbay//pha/
[category]=News
rss/https://www.dpreview.com/feeds/news.xml/
)";

const char kGoogle[] = R"([description]
An interface for various Google features.
[source]=Google News Search
rss
news stories matching the terms
url=https://news.google.com/rss/search
query_param=q
[source]=Popular Videos
rss
staff-picked videos
url=https://vimeo.com/channels/staffpicks/videos/rss
[source]=Glossary
google
definitions from the online dictionary
site=en.wiktionary.org
[source]=Video Search
google
videos on the largest video site
site=www.youtube.com
[category]=General
google
[category]=Image Search
view=tiled
googleimages
[category]=Popular Video
view=tiled
rss/https://vimeo.com/channels/staffpicks/videos/rss/
[category]=Video Search
google/www.youtube.com//
[category]=Glossary
google/en.wiktionary.org//
[category]=Groups
googlegroups
[category]=Scholar
google_scholar
[category]=News
rss/https://news.google.com/rss/search/
[category]=Directory
google_directory
[category]=Books
google_books
[category]=Patents
google_patents
)";

}  // namespace

const std::vector<BuiltInSet>& builtInSets() {
  static const std::vector<BuiltInSet> sets = {
      {2, "General Search", kGeneralSearch}, {6, "Torrent Search", kTorrentSearch}, {114, "News", kNews},
      {115, "Digital Cameras", kDigitalCameras}, {116, "Google", kGoogle},
  };
  return sets;
}

std::optional<BuiltInSet> findBuiltInSet(int resourceId) {
  for (const BuiltInSet& set : builtInSets())
    if (set.resourceId == resourceId) return set;
  return std::nullopt;
}

bool LoadBuiltInSet(int resourceId, CategorySet& set, SourceDefinitions& definitions) {
  std::optional<BuiltInSet> builtIn = findBuiltInSet(resourceId);
  if (!builtIn) return false;
  ReadCategorySet(toWide(builtIn->text, kCodePageUtf8), set, definitions);
  return true;
}

}  // namespace brambel
