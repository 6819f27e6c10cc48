#pragma once

#include <map>
#include <string>
#include <string_view>

namespace brambel {

// A source's parameters (the parameter lines of its definition), and the
// effective parameters of one run. Keys are case-sensitive.
using ParameterMap = std::map<std::u16string, std::u16string, std::less<>>;

// The value of `name`, or empty when absent.
std::u16string parameterValue(const ParameterMap& parameters, std::u16string_view name);

// A parameter counts as set when it is present and not empty.
bool isParameterSet(const ParameterMap& parameters, std::u16string_view name);

// `base` with every entry of `overrides` copied over it.
ParameterMap overlayParameters(ParameterMap base, const ParameterMap& overrides);

}  // namespace brambel
