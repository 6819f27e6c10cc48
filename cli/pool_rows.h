#pragma once

#include <iosfwd>
#include <vector>

#include "cli/json_output.h"
#include "pipeline/pool_statistics.h"

namespace brambel::cli {

// The content pools' rows (threads, queued, in progress, handled), as
// `library stats` and `search` print them.
Json poolsJson(const std::vector<PoolStatistics>& pools);
// One line per pool, or a line saying that no pool runs.
void printPools(const std::vector<PoolStatistics>& pools, std::ostream& out);

}  // namespace brambel::cli
