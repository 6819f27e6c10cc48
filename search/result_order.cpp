#include "search/result_order.h"

#include <algorithm>
#include <compare>

namespace brambel {

namespace {

// Compares key by key; the first key that differs decides.
class Keys {
 public:
  Keys(const ResultEntry& a, const ResultEntry& b) : a_(a), b_(b) {}
  template <typename Key>
  Keys& descending(Key key) { return decide(key(b_) <=> key(a_)); }
  template <typename Key>
  Keys& ascending(Key key) { return decide(key(a_) <=> key(b_)); }
  bool before() {
    ascending([](const ResultEntry& e) -> const std::u16string& { return e.record.url; });
    return order_ < 0;
  }

 private:
  Keys& decide(std::strong_ordering order) {
    if (order_ == 0) order_ = order;
    return *this;
  }
  const ResultEntry& a_;
  const ResultEntry& b_;
  std::strong_ordering order_ = std::strong_ordering::equal;
};

uint32_t contentDate(const ResultEntry& e) { return e.record.contentDate; }
uint32_t loadDate(const ResultEntry& e) { return e.record.loadDate; }
uint32_t clickDate(const ResultEntry& e) { return e.marks.clickDate; }
uint32_t hoverDate(const ResultEntry& e) { return e.marks.hoverDate; }
uint32_t lastViewed(const ResultEntry& e) { return LastViewed(e.marks); }
int32_t score(const ResultEntry& e) { return e.score; }

bool before(const ResultEntry& a, const ResultEntry& b, SortOrder order) {
  Keys keys(a, b);
  switch (order) {
    case SortOrder::kByContentDate: keys.descending(contentDate); break;
    case SortOrder::kByLoadDate: keys.descending(loadDate); break;
    case SortOrder::kByClickDate: keys.descending(clickDate); break;
    case SortOrder::kByHoverDate: keys.descending(hoverDate); break;
    case SortOrder::kByLastViewedUnread: keys.ascending(lastViewed).descending(contentDate); break;
    case SortOrder::kByLastViewedRead: keys.descending(lastViewed).ascending(contentDate); break;
    case SortOrder::kByScore: break;
  }
  return keys.descending(score).before();
}

}  // namespace

uint32_t LastViewed(const UrlMarks& marks) { return std::max(marks.clickDate, marks.hoverDate); }

void SortResults(std::vector<ResultEntry>& entries, int order) {
  const SortOrder sortOrder = order >= 0 && order <= 6 ? static_cast<SortOrder>(order) : SortOrder::kByScore;
  auto unpinned = std::stable_partition(entries.begin(), entries.end(), [](const ResultEntry& e) { return e.pinned; });
  std::stable_sort(unpinned, entries.end(),
                   [sortOrder](const ResultEntry& a, const ResultEntry& b) { return before(a, b, sortOrder); });
}

}  // namespace brambel
