#pragma once

#include <string>
#include <vector>

#include "cli/json_output.h"
#include "store/source_result.h"

namespace brambel::cli {

// Wide strings as a JSON array of UTF-8 strings.
Json jsonStrings(const std::vector<std::u16string>& values);
// The fields of a result record as one JSON object: url, title, description,
// imageUrl, contentDate (seconds since 1970, 0 = unknown), sources.
Json resultJson(const SourceResult& result);

}  // namespace brambel::cli
