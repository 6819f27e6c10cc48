#pragma once

#include <chrono>
#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace brambel {

// Style sheets fetched lately, shared by the load workers: the pages of one
// site mostly name the same few sheets, which need not be fetched again for
// every page. Bounded in entries and bytes; an entry is kept for ten minutes.
class StyleSheetCache {
 public:
  static constexpr size_t kMaxEntries = 256;
  static constexpr size_t kMaxBytes = 8 << 20;
  static constexpr std::chrono::minutes kLifetime{10};

  std::optional<std::string> find(const std::u16string& url);
  void keep(const std::u16string& url, const std::string& text);

 private:
  struct Entry {
    std::u16string url;
    std::string text;
    std::chrono::steady_clock::time_point fetched;
  };
  void dropOldestLocked();

  std::mutex mutex_;
  std::list<Entry> entries_;  // newest first
  std::unordered_map<std::u16string, std::list<Entry>::iterator> byUrl_;
  size_t bytes_ = 0;
};

}  // namespace brambel
