#include "sources/source_registry.h"

namespace brambel {

SourceRegistry& SourceRegistry::global() {
  static SourceRegistry registry;
  return registry;
}

std::u16string SourceRegistry::Register(Factory factory) {
  std::u16string key = factory()->GetInstanceId();
  std::lock_guard lock(mutex_);
  factories_.insert_or_assign(key, std::move(factory));
  return key;
}

bool SourceRegistry::Contains(const std::u16string& key) const {
  std::lock_guard lock(mutex_);
  return factories_.count(key) != 0;
}

std::vector<std::u16string> SourceRegistry::Keys() const {
  std::lock_guard lock(mutex_);
  std::vector<std::u16string> keys;
  for (const auto& entry : factories_) keys.push_back(entry.first);
  return keys;
}

std::unique_ptr<SearchSource> SourceRegistry::Create(const std::u16string& key) const {
  Factory factory;
  {
    std::lock_guard lock(mutex_);
    auto found = factories_.find(key);
    if (found == factories_.end()) return nullptr;
    factory = found->second;
  }
  return factory();
}

std::unique_ptr<SearchSource> SourceRegistry::Create(const std::u16string& key,
                                                     std::u16string displayName,
                                                     std::u16string description,
                                                     ParameterMap parameters) const {
  std::unique_ptr<SearchSource> source = Create(key);
  if (!source) return nullptr;
  source->setDisplayName(std::move(displayName));
  source->setDescription(std::move(description));
  source->parameters() = std::move(parameters);
  return source;
}

}  // namespace brambel
