#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/archive.h"

namespace brambel {

// Collections in the archive encoding of archive.h.
//
// String list: count, then each string in order.
// String-to-string map: count, then key and value as two strings per entry.
// A map read keeps the later value of a key that appears twice.

void writeStringList(ArchiveWriter& writer, const std::vector<std::u16string>& list);
std::optional<std::vector<std::u16string>> readStringList(ArchiveReader& reader);

void writeStringMap(ArchiveWriter& writer, const std::map<std::u16string, std::u16string>& map);
std::optional<std::map<std::u16string, std::u16string>> readStringMap(ArchiveReader& reader);

// The binary form of the saved-terms file "favorites.dat": u32 format version,
// then, for versions below 2, the string list. Nothing when the bytes are not
// in that form (the caller then reads the file as text).
std::optional<std::vector<std::u16string>> readSavedTermsArchive(std::string_view bytes);
std::string writeSavedTermsArchive(const std::vector<std::u16string>& terms);

}  // namespace brambel
