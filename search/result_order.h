#pragma once

#include <vector>

#include "search/result_entry.h"

namespace brambel {

// The sort orders of a result list, by their codes. Codes 3 and 4 have no
// menu item; any other code sorts by score.
enum class SortOrder : int {
  kByScore = 0,
  kByContentDate = 1,
  kByLoadDate = 2,
  kByClickDate = 3,
  kByHoverDate = 4,
  kByLastViewedUnread = 5,
  kByLastViewedRead = 6,
};

// The later of the click and hover dates; 0 when never viewed.
uint32_t LastViewed(const UrlMarks& marks);

// Orders `entries` by `order`: pinned entries stay first in the order they
// have, every other entry follows sorted by the order's keys, the URL in
// ascending code-point order breaking the last tie.
//   0 score ↓ | 1 content date ↓, score ↓ | 2 load date ↓, score ↓
//   3 click date ↓, score ↓ | 4 hover date ↓, score ↓
//   5 last viewed ↑, content date ↓, score ↓ | 6 last viewed ↓, content date ↑, score ↓
void SortResults(std::vector<ResultEntry>& entries, int order);

}  // namespace brambel
