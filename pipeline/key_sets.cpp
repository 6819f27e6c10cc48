#include "pipeline/key_sets.h"

namespace brambel {

bool LockedKeySet::insert(const std::u16string& key) {
  std::lock_guard lock(mutex_);
  return keys_.insert(key).second;
}

bool LockedKeySet::erase(const std::u16string& key) {
  std::lock_guard lock(mutex_);
  return keys_.erase(key) != 0;
}

bool LockedKeySet::contains(const std::u16string& key) const {
  std::lock_guard lock(mutex_);
  return keys_.count(key) != 0;
}

size_t LockedKeySet::size() const {
  std::lock_guard lock(mutex_);
  return keys_.size();
}

void LockedKeySet::clear() {
  std::lock_guard lock(mutex_);
  keys_.clear();
}

void RecentKeySet::add(const std::u16string& key) {
  std::lock_guard lock(mutex_);
  if (keys_.size() > kMaximum) keys_.clear();
  keys_.insert(key);
}

}  // namespace brambel
