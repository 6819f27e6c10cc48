#include "sources/builtin_sources.h"

#include "sources/amazon_source.h"
#include "sources/bookmark_sources.h"
#include "sources/callaw_source.h"
#include "sources/engine_sources.h"
#include "sources/feed_source.h"
#include "sources/google_source.h"
#include "sources/library_source.h"
#include "sources/listing_sources.h"
#include "sources/url_source.h"
#include "sources/yahoo_source.h"

namespace brambel {

void registerBuiltinSources(SourceRegistry& registry) {
  registry.Register<FullUrlSource>();
  registry.Register<RssSource>();
  registry.Register<AtomSource>();
  registry.Register<GoogleSource>();
  registry.Register<GoogleDirectorySource>();
  registry.Register<YahooSource>();
  for (const EngineProfile* profile : engineProfiles())
    registry.Register([profile] { return std::unique_ptr<SearchSource>(std::make_unique<EngineSource>(*profile)); });
  registry.Register<AmazonSource>();
  registry.Register<EbaySource>();
  registry.Register<CraigsListSource>();
  registry.Register([] { return std::unique_ptr<SearchSource>(std::make_unique<EngineSource>(thottbotProfile())); });
  registry.Register<CaLawSource>();
  registry.Register<DeliciousSource>();
  registry.Register<SimpySource>();
  registry.Register<LibrarySource>();
}

}  // namespace brambel
