#pragma once

#include <string>
#include <vector>

#include "store/source_result.h"

namespace brambel::cli {

// UTF-8 of wide text, for output.
std::string utf8(const std::u16string& text);
// A JSON array of strings.
std::string jsonArray(const std::vector<std::u16string>& values);
// The fields of a result record as one JSON object: url, title, description,
// imageUrl, contentDate (seconds since 1970, 0 = unknown), sources.
std::string resultJson(const SourceResult& result);

}  // namespace brambel::cli
