#include "formats/result_set_file.h"

#include <fstream>
#include <iterator>

#include "formats/source_table.h"
#include "toolkit/utf8_conversion.h"

namespace brambel {
namespace {

constexpr std::string_view kRecordEnd = "-----";

std::string firstLine(const std::u16string& text) {
  std::string utf8 = utf16ToUtf8(text).value_or("");
  // A line feed would end the line early and shift every later line of the
  // record; the carriage return of a CR LF goes with it.
  size_t cut = utf8.find('\n');
  if (cut == std::string::npos) return utf8;
  if (cut > 0 && utf8[cut - 1] == '\r') --cut;
  return utf8.substr(0, cut);
}

bool isNumber(std::string_view line) {
  if (line.empty()) return false;
  for (char c : line)
    if (c < '0' || c > '9') return false;
  return true;
}

// Hands out the lines of a text, each without its LF and trailing white space.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : rest_(text) {}
  bool done() const { return rest_.empty(); }
  std::string_view next() {
    size_t end = rest_.find('\n');
    std::string_view line = rest_.substr(0, end);
    rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ') line.remove_suffix(1);
    return line;
  }

 private:
  std::string_view rest_;
};

}  // namespace

std::string WriteResultRecord(const SourceResult& result, int32_t position, const SourceTable& table) {
  std::string record = firstLine(result.url) + "\n" + firstLine(result.title) + "\n" +
                       firstLine(result.description) + "\n" + std::to_string(position) + "\n";
  for (const std::u16string& id : result.sources) {
    const SearchSource* source = table.find(id);
    if (source && source->IsSearchable() && source->IsInternetSource()) record += firstLine(id) + "\n";
  }
  return record + std::string(kRecordEnd) + "\n";
}

std::vector<SourceResult> parseResultSet(std::string_view text, const SourceTable& table) {
  std::vector<SourceResult> results;
  if (text.find("<?xml") != std::string_view::npos) return results;
  auto wide = [](std::string_view line) { return utf8ToUtf16(line).value_or(u""); };
  LineReader lines(text);
  for (int32_t index = 0; !lines.done(); ++index) {
    SourceResult result;
    result.url = wide(lines.next());
    result.title = wide(lines.next());
    result.description = wide(lines.next());
    std::string_view line = lines.next();
    if (isNumber(line)) {
      // A position too large for the record reads as its index, like an older file.
      result.position = line.size() < 10 ? std::stoi(std::string(line)) : index;
      line = lines.next();
    } else {
      result.position = index;
    }
    for (; !line.empty() && line != kRecordEnd; line = lines.next()) {
      std::u16string id = wide(line);
      if (table.find(id)) result.sources.push_back(std::move(id));
      if (lines.done()) break;
    }
    if (result.url.starts_with(u"http")) results.push_back(std::move(result));
  }
  return results;
}

std::optional<std::vector<SourceResult>> ReadResultSet(const std::filesystem::path& path, const SourceTable& table) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  return parseResultSet(text, table);
}

}  // namespace brambel
