#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "search/result_entry.h"

namespace brambel {

// A result list under construction: entries in the order added, one per
// URL, found again by URL through a hash map. Not locked: its owner guards it.
class ResultList {
 public:
  ResultList();

  void Clear();
  const std::vector<ResultEntry>& entries() const { return entries_; }
  std::vector<ResultEntry>& entries() { return entries_; }
  bool empty() const { return entries_.empty(); }
  size_t size() const { return entries_.size(); }
  ResultEntry* Find(const std::u16string& url);

  // Adds `entry` when its URL is new and its score is not negative; true
  // when added. A URL already listed gains the new entry's sources it
  // lacks, and, with `keepBetterScore`, the larger of the two scores.
  bool Merge(ResultEntry entry, bool keepBetterScore);

  // Restores the map after the entries were reordered.
  void Reindex();

 private:
  std::vector<ResultEntry> entries_;
  std::unordered_map<std::u16string, size_t> byUrl_;
};

}  // namespace brambel
