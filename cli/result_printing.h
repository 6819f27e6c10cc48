#pragma once

#include <iosfwd>
#include <vector>

#include "store/source_result.h"

namespace brambel::cli {

// Results that a command read or loaded (not a ranked search): as numbered
// text in `search`'s layout, or as one JSON object {"results": [...]}.
void printResults(const std::vector<SourceResult>& results, bool json, std::ostream& out);

}  // namespace brambel::cli
