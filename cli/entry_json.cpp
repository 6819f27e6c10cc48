#include "cli/entry_json.h"

#include <ostream>

#include "cli/result_json.h"
#include "toolkit/http_date.h"

namespace brambel::cli {

namespace {

std::string dateText(uint32_t seconds) { return seconds ? formatHttpDate(seconds) : "-"; }

std::string marksText(const ResultEntry& entry) {
  std::string text;
  auto add = [&](bool set, const char* name) {
    if (set) text += (text.empty() ? "" : ", ") + std::string(name);
  };
  add(entry.marks.isPermanent(), "permanent");
  add(entry.pinned, "pinned");
  add(entry.marks.isIgnored(), "ignored");
  add(entry.marks.isRead(), "read");
  return text.empty() ? "-" : text;
}

}  // namespace

Json entryJson(const ResultEntry& entry) {
  Json object = resultJson(entry.record);
  object["position"] = entry.record.position;
  object["score"] = entry.score;
  object["loadDate"] = entry.record.loadDate;
  object["summary"] = utf8(entry.record.description);
  object["marks"] = Json{{"permanent", entry.marks.isPermanent()},
                         {"pinned", entry.pinned},
                         {"ignored", entry.marks.isIgnored()},
                         {"read", entry.marks.isRead()}};
  return object;
}

void printEntries(const std::vector<ResultEntry>& entries, std::ostream& out) {
  int rank = 0;
  for (const ResultEntry& entry : entries) {
    const SourceResult& record = entry.record;
    out << ++rank << ". " << utf8(record.title) << "\n   " << utf8(record.url) << "\n";
    if (!record.description.empty()) out << "   " << utf8(record.description) << "\n";
    std::string sources;
    for (const std::u16string& id : record.sources) sources += (sources.empty() ? "" : ", ") + utf8(id);
    if (!sources.empty()) out << "   sources: " << sources << "\n";
    out << "   position " << record.position << ", score " << entry.score << ", content date "
        << dateText(record.contentDate) << ", load date " << dateText(record.loadDate) << ", marks "
        << marksText(entry) << "\n";
  }
}

}  // namespace brambel::cli
