#pragma once

#include <optional>

#include "store/archive.h"
#include "store/source_result.h"

namespace brambel {

// The archive form of a SourceResult (class schema 1), in the encoding of
// archive.h: description (string), position (u32), text2 (string), title
// (string), URL (string). Nothing else of the record is kept.
void writeSourceResultArchive(ArchiveWriter& writer, const SourceResult& result);

// Reads the five fields back. A record stored with an empty title or
// description reads "<blank>" in its place, so that it never shows as an
// empty line. Nothing when the bytes end early or are malformed.
std::optional<SourceResult> readSourceResultArchive(ArchiveReader& reader);

}  // namespace brambel
