#include "cli/result_printing.h"

#include <ostream>

#include "cli/json_output.h"
#include "cli/result_json.h"

namespace brambel::cli {

void printResults(const std::vector<SourceResult>& results, bool json, std::ostream& out) {
  if (json) {
    Json array = Json::array();
    for (const SourceResult& result : results) {
      Json object = resultJson(result);
      object["position"] = result.position;
      array.push_back(std::move(object));
    }
    out << jsonText(Json{{"results", array}}) << "\n";
    return;
  }
  int rank = 0;
  for (const SourceResult& result : results) {
    std::string sources;
    for (const auto& id : result.sources) sources += (sources.empty() ? "" : ", ") + utf8(id);
    out << ++rank << ". " << utf8(result.title) << "\n   " << utf8(result.url) << "\n   sources: " << sources
        << "\n   position " << result.position << "\n";
  }
  if (results.empty()) out << "No Results!\n";
}

}  // namespace brambel::cli
