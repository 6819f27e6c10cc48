#pragma once

#include <cstdint>
#include <string>

namespace brambel {

// Search numbers with a meaning of their own.
inline constexpr int32_t kNoSearch = -1;        // not tied to a search: never dropped as stale
inline constexpr int32_t kAlwaysAccepted = -2;  // the next stage takes it even when full

// How an item is put into a queue.
enum class AddMode : int {
  kBounded = 0,      // added only while the queue holds at most the hard limit
  kWaitForRoom = 1,  // the caller waits while the queue holds more than its capacity
  kAlways = 2,       // added whatever the queue holds
};

// One queue entry: the result's URL, the search that produced it, the
// stage's work record and the priority (higher first).
template <class Payload>
struct WorkItem {
  std::u16string key;
  int32_t searchNumber = kNoSearch;
  int32_t priority = 0;
  Payload payload;
};

}  // namespace brambel
