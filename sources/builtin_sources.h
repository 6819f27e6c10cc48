#pragma once

#include "sources/source_registry.h"

namespace brambel {

// Registers every built-in source type: "url", "rss", "atom", "google",
// "google_directory", "yahoo", the page-reading engines, "amazon", "ebay",
// "craig", "callaw", "thottbot", "delicious" and "simpy" (and "library" where
// the library search is built in). Called once at program start.
void registerBuiltinSources(SourceRegistry& registry = SourceRegistry::global());

}  // namespace brambel
