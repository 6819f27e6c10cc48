#include "cli/json_output.h"

#include "toolkit/code_pages.h"

namespace brambel::cli {

std::string utf8(const std::u16string& text) { return toNarrow(text, kCodePageUtf8); }

std::string jsonText(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace brambel::cli
