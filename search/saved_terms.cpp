#include "search/saved_terms.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "store/archive_collections.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {

namespace {

std::string_view trimmedEnd(std::string_view line) {
  while (!line.empty() && std::string_view(" \t\r\n\v\f").find(line.back()) != std::string_view::npos)
    line.remove_suffix(1);
  return line;
}

// A saved-terms file is a short menu; anything larger is not one.
constexpr std::uintmax_t kFileLimit = 4 << 20;

std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kFileLimit) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

bool SavedTerms::Add(const std::u16string& term) {
  if (term.empty() || std::find(entries_.begin(), entries_.end(), term) != entries_.end()) return false;
  entries_.push_back(term);
  return true;
}

bool SavedTerms::Remove(const std::u16string& term) {
  auto found = std::find(entries_.begin(), entries_.end(), term);
  if (found == entries_.end()) return false;
  entries_.erase(found);
  return true;
}

std::vector<std::u16string> SavedTerms::Parse(std::string_view bytes) {
  if (std::optional<std::vector<std::u16string>> archived = readSavedTermsArchive(bytes);
      archived && !archived->empty()) {
    // An empty entry would be a menu item without text.
    std::erase(*archived, std::u16string());
    return *archived;
  }
  // A text file ends at its first zero byte.
  std::string_view text = bytes.substr(0, bytes.find('\0'));
  std::vector<std::u16string> entries;
  for (std::string_view line : splitLines(text)) {
    line = trimmedEnd(line);
    if (!line.empty()) entries.push_back(toWide(std::string(line), kCodePageUtf8));
  }
  return entries;
}

void SavedTerms::Load(const std::filesystem::path& directory) {
  entries_.clear();
  if (std::optional<std::string> bytes = readWholeFile(directory / kFileName)) entries_ = Parse(*bytes);
}

bool SavedTerms::Save(const std::filesystem::path& directory) const {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  std::vector<std::string> lines;
  for (const std::u16string& entry : entries_) lines.push_back(toNarrow(entry, kCodePageUtf8));
  return writeTextFile(directory / kFileName, joinLines(lines));
}

}  // namespace brambel
