#include "sources/search_source.h"

namespace brambel {

std::u16string SearchSource::MakeInstanceId(std::u16string_view key,
                                            std::initializer_list<std::u16string_view> listed,
                                            std::initializer_list<std::u16string_view> optional,
                                            int minimumSuffix) const {
  std::u16string suffix;
  for (std::u16string_view name : listed) {
    suffix += u'/';
    suffix += parameterValue(parameters_, name);
  }
  for (std::u16string_view name : optional) {
    auto found = parameters_.find(name);
    if (found == parameters_.end()) continue;
    suffix += u'/';
    suffix += found->second;
  }
  if (minimumSuffix < 0) minimumSuffix = static_cast<int>(listed.size());
  std::u16string id(key);
  if (suffix.size() > static_cast<size_t>(minimumSuffix)) id += suffix;
  return id;
}

std::u16string SearchSource::LabelledDisplayName(std::u16string_view label) const {
  if (displayName_.empty()) return std::u16string(label);
  return displayName_ + u" (" + std::u16string(label) + u")";
}

}  // namespace brambel
