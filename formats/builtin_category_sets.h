#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/category_set.h"

namespace brambel {

// The five category sets built into the program, by resource number:
// 2 "General Search", 6 "Torrent Search", 114 "News", 115 "Digital Cameras",
// 116 "Google". Each is category set text (see category_set_file.h).
struct BuiltInSet {
  int resourceId;
  const char* fileName;  // installed as fileName + ".zcat"
  const char* text;      // UTF-8
};

const std::vector<BuiltInSet>& builtInSets();

// The set of `resourceId`, or nothing for another number.
std::optional<BuiltInSet> findBuiltInSet(int resourceId);

// Replaces `set` (and fills `definitions`) with the built-in set; false, with
// both untouched, for an unknown resource number.
bool LoadBuiltInSet(int resourceId, CategorySet& set, SourceDefinitions& definitions);

// The set used when a library has no "categories.zcat" of its own.
inline constexpr int kDefaultBuiltInSet = 2;

}  // namespace brambel
