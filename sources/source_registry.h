#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sources/search_source.h"

namespace brambel {

// Process-wide table of source types: key → factory of a new source of that
// type with empty parameters. Filled at program start, read by everything
// that turns source definitions into sources.
class SourceRegistry {
 public:
  using Factory = std::function<std::unique_ptr<SearchSource>()>;

  static SourceRegistry& global();

  // Stores `factory` under the key of the source it makes: a fresh source has
  // no parameter values, so its instance id is its bare key. Returns that key.
  std::u16string Register(Factory factory);

  template <class Source>
  std::u16string Register() {
    return Register([] { return std::unique_ptr<SearchSource>(std::make_unique<Source>()); });
  }

  bool Contains(const std::u16string& key) const;
  // The registered keys, in key order.
  std::vector<std::u16string> Keys() const;

  // A new source of type `key` with empty parameters; nullptr for an unknown key.
  std::unique_ptr<SearchSource> Create(const std::u16string& key) const;
  // A new source of type `key` carrying a definition's name, description and
  // parameters; nullptr for an unknown key.
  std::unique_ptr<SearchSource> Create(const std::u16string& key, std::u16string displayName,
                                       std::u16string description, ParameterMap parameters) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::u16string, Factory> factories_;
};

}  // namespace brambel
