#pragma once

#include <memory>
#include <string>

#include "sources/parameter_map.h"
#include "sources/search_source.h"

namespace brambel {

// Everything one source thread needs to run one source.
struct SearchThreadParams {
  std::shared_ptr<SearchSource> source;
  std::u16string terms;
  ParameterMap overrides;  // replace the source's own parameters for this run
  int generation = 0;      // the search this thread belongs to
  // The thread stops converting results of an internet source once its
  // count reaches this value.
  int maxResults = 0;
  int startIndex = 0;       // position of the first result; the count starts here
  bool recordRaw = false;   // also record every result through the raw result sink
  bool unthrottled = false; // hand results over without waiting for room
  bool skipKnown = false;   // drop, uncounted, results whose URL the library knows
};

}  // namespace brambel
