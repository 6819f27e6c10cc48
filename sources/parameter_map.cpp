#include "sources/parameter_map.h"

namespace brambel {

std::u16string parameterValue(const ParameterMap& parameters, std::u16string_view name) {
  auto found = parameters.find(name);
  return found == parameters.end() ? std::u16string() : found->second;
}

bool isParameterSet(const ParameterMap& parameters, std::u16string_view name) {
  auto found = parameters.find(name);
  return found != parameters.end() && !found->second.empty();
}

ParameterMap overlayParameters(ParameterMap base, const ParameterMap& overrides) {
  for (const auto& [name, value] : overrides) base.insert_or_assign(name, value);
  return base;
}

}  // namespace brambel
