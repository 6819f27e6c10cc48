#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace brambel {

// The texts searched in one library, oldest first, kept in "history.dat"
// (one entry per line, CR LF, the program's text file form).
class SearchHistory {
 public:
  static constexpr size_t kLimit = 32;
  static constexpr char kFileName[] = "history.dat";

  // Records a search: the text trimmed at both ends; a "//" command, an
  // empty text or a repeat of the newest entry is not recorded. The oldest
  // entry goes when more than kLimit are held. True when recorded.
  bool Add(std::u16string_view text);
  void Clear() { entries_.clear(); }
  const std::vector<std::u16string>& entries() const { return entries_; }

  // Replaces the entries with those of `directory`'s file (each line through
  // Add); a missing file leaves the history empty.
  void Load(const std::filesystem::path& directory);
  // Writes Text(), creating the directory first.
  bool Save(const std::filesystem::path& directory) const;

  // Replaces the entries with the lines of a file's text (up to its first
  // zero byte), each through Add.
  void Parse(std::string_view text);
  // Every entry followed by CR LF, UTF-8.
  std::string Text() const;

 private:
  std::vector<std::u16string> entries_;
};

}  // namespace brambel
