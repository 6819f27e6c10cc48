#include "cli/pool_rows.h"

#include <ostream>

namespace brambel::cli {

Json poolsJson(const std::vector<PoolStatistics>& pools) {
  Json rows = Json::array();
  for (const PoolStatistics& pool : pools)
    rows.push_back({{"pool", pool.name},
                    {"threads", pool.threads},
                    {"queued", pool.queued},
                    {"inProgress", pool.processing},
                    {"handled", pool.handled}});
  return rows;
}

void printPools(const std::vector<PoolStatistics>& pools, std::ostream& out) {
  if (pools.empty()) {
    out << "pools not running (the library is open read-only)\n";
    return;
  }
  for (const PoolStatistics& pool : pools)
    out << "pool " << pool.name << ": " << pool.threads << " threads, " << pool.queued << " queued, "
        << pool.processing << " in progress, " << pool.handled << " handled\n";
}

}  // namespace brambel::cli
