#include "pipeline/style_sheet_cache.h"

namespace brambel {

std::optional<std::string> StyleSheetCache::find(const std::u16string& url) {
  std::lock_guard lock(mutex_);
  auto found = byUrl_.find(url);
  if (found == byUrl_.end()) return std::nullopt;
  if (std::chrono::steady_clock::now() - found->second->fetched > kLifetime) {
    bytes_ -= found->second->text.size();
    entries_.erase(found->second);
    byUrl_.erase(found);
    return std::nullopt;
  }
  return found->second->text;
}

void StyleSheetCache::keep(const std::u16string& url, const std::string& text) {
  if (text.size() > kMaxBytes / 8) return;
  std::lock_guard lock(mutex_);
  if (auto found = byUrl_.find(url); found != byUrl_.end()) {
    bytes_ -= found->second->text.size();
    entries_.erase(found->second);
    byUrl_.erase(found);
  }
  entries_.push_front(Entry{url, text, std::chrono::steady_clock::now()});
  byUrl_[url] = entries_.begin();
  bytes_ += text.size();
  while (entries_.size() > kMaxEntries || bytes_ > kMaxBytes) dropOldestLocked();
}

void StyleSheetCache::dropOldestLocked() {
  const Entry& oldest = entries_.back();
  bytes_ -= oldest.text.size();
  byUrl_.erase(oldest.url);
  entries_.pop_back();
}

}  // namespace brambel
