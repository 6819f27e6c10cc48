#include "search/search_history.h"

#include "search/item_to_result.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {

bool SearchHistory::Add(std::u16string_view text) {
  std::u16string entry = trimWhiteSpace(std::u16string(text));
  if (entry.empty() || entry.starts_with(u"//")) return false;
  if (!entries_.empty() && entries_.back() == entry) return false;
  entries_.push_back(std::move(entry));
  if (entries_.size() > kLimit) entries_.erase(entries_.begin());
  return true;
}

void SearchHistory::Parse(std::string_view text) {
  entries_.clear();
  text = text.substr(0, text.find('\0'));
  for (std::string_view line : splitLines(text)) Add(toWide(std::string(line), kCodePageUtf8));
}

std::string SearchHistory::Text() const {
  std::string text;
  for (const std::u16string& entry : entries_) text += toNarrow(entry, kCodePageUtf8) + "\r\n";
  return text;
}

void SearchHistory::Load(const std::filesystem::path& directory) {
  Parse(readTextFile(directory / kFileName).value_or(""));
}

bool SearchHistory::Save(const std::filesystem::path& directory) const {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  return writeTextFile(directory / kFileName, Text());
}

}  // namespace brambel
