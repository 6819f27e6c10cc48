#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace brambel::cli {

// JSON values keep their fields in the order they were set.
using Json = nlohmann::ordered_json;

// UTF-8 of wide text, for output.
std::string utf8(const std::u16string& text);
// `json` on one line, each ill-formed UTF-8 sequence in its strings replaced
// by U+FFFD, so that byte text from pages always makes valid JSON.
std::string jsonText(const Json& json);

}  // namespace brambel::cli
