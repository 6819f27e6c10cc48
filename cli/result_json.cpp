#include "cli/result_json.h"

#include "toolkit/code_pages.h"
#include "toolkit/json_writer.h"

namespace brambel::cli {

std::string utf8(const std::u16string& text) { return toNarrow(text, kCodePageUtf8); }

std::string jsonArray(const std::vector<std::u16string>& values) {
  std::string json = "[";
  for (const std::u16string& value : values) {
    if (json.size() > 1) json += ',';
    appendJsonString(json, value);
  }
  return json + "]";
}

std::string resultJson(const SourceResult& result) {
  return JsonObjectWriter()
      .add("url", std::u16string_view(result.url))
      .add("title", std::u16string_view(result.title))
      .add("description", std::u16string_view(result.description))
      .add("imageUrl", std::u16string_view(result.imageUrl))
      .add("contentDate", result.contentDate)
      .addRaw("sources", jsonArray(result.sources))
      .str();
}

}  // namespace brambel::cli
