#include "cli/result_json.h"

namespace brambel::cli {

Json jsonStrings(const std::vector<std::u16string>& values) {
  Json array = Json::array();
  for (const std::u16string& value : values) array.push_back(utf8(value));
  return array;
}

Json resultJson(const SourceResult& result) {
  return {{"url", utf8(result.url)},
          {"title", utf8(result.title)},
          {"description", utf8(result.description)},
          {"imageUrl", utf8(result.imageUrl)},
          {"contentDate", result.contentDate},
          {"sources", jsonStrings(result.sources)}};
}

}  // namespace brambel::cli
