#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_set>

namespace brambel {

// A set of URLs under a lock of its own, shared by worker threads.
class LockedKeySet {
 public:
  // True when the key was not in the set yet.
  bool insert(const std::u16string& key);
  bool erase(const std::u16string& key);
  bool contains(const std::u16string& key) const;
  size_t size() const;
  void clear();

 protected:
  mutable std::mutex mutex_;
  std::unordered_set<std::u16string> keys_;
};

// The URLs a pool's workers finished with lately. The views tell a URL that
// was tried from one that never was by it, so only recent ones matter: the
// set starts again whenever it holds more than 200 keys before an addition.
class RecentKeySet : public LockedKeySet {
 public:
  static constexpr size_t kMaximum = 200;
  void add(const std::u16string& key);
};

// Releases a claim on a key when the work on it ends, however it ends.
class ClaimGuard {
 public:
  ClaimGuard(LockedKeySet& inProgress, const std::u16string& key) : inProgress_(inProgress), key_(key) {}
  ~ClaimGuard() { inProgress_.erase(key_); }
  ClaimGuard(const ClaimGuard&) = delete;
  ClaimGuard& operator=(const ClaimGuard&) = delete;

 private:
  LockedKeySet& inProgress_;
  std::u16string key_;
};

}  // namespace brambel
