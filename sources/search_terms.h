#pragma once

#include <string>

#include "sources/parameter_map.h"

namespace brambel {

// The search terms of a run as most sources send them: the query, then a
// blank and the "terms" parameter when it is set. Empty pieces add no blank.
std::u16string queryWithTerms(const std::u16string& query, const ParameterMap& parameters);

// The same, form-encoded as UTF-8 for a request path.
std::u16string encodedQueryWithTerms(const std::u16string& query, const ParameterMap& parameters);

// `first` and `second` joined by one blank; either may be empty.
std::u16string joinWithBlank(const std::u16string& first, const std::u16string& second);

// Whether a source with "noEmpty" semantics may run without a query: always,
// unless "noEmpty" is set, and then only when "terms" supplies terms.
bool noEmptyAllowsEmptyQuery(const ParameterMap& parameters);

}  // namespace brambel
