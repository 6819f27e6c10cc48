#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace brambel {

// The "Saved Terms" of one library, in menu order, kept in "favorites.dat".
// Read in either of its two forms: the binary archive (u32 version, then
// for versions below 2 a string list) or text, one entry per line. Always
// written as text, entries joined with CR LF.
class SavedTerms {
 public:
  static constexpr char kFileName[] = "favorites.dat";

  const std::vector<std::u16string>& entries() const { return entries_; }
  void Set(std::vector<std::u16string> entries) { entries_ = std::move(entries); }
  // Appends `term` unless it is empty or already listed; true when added.
  bool Add(const std::u16string& term);
  // True when the term was listed.
  bool Remove(const std::u16string& term);

  // Replaces the entries with the file of `directory`; a missing file gives
  // an empty list.
  void Load(const std::filesystem::path& directory);
  bool Save(const std::filesystem::path& directory) const;

  // The entries a file's bytes hold (archive form first, else text lines
  // trimmed at their end); empty entries are dropped.
  static std::vector<std::u16string> Parse(std::string_view bytes);

 private:
  std::vector<std::u16string> entries_;
};

}  // namespace brambel
