#pragma once

#include "sources/source_registry.h"

namespace brambel {

// Registers every built-in source type: "url", "rss", "atom", "google",
// "google_directory", "yahoo", the page-reading engines, "amazon", "ebay",
// "craig", "callaw", "thottbot", "delicious", "simpy" and "library" (whose
// sources read the library the document attaches to them, see
// library_source.h). Called once at program start.
void registerBuiltinSources(SourceRegistry& registry = SourceRegistry::global());

}  // namespace brambel
