#pragma once

#include <string>

#include "formats/category_set.h"

namespace brambel {

class SourceTable;

// The category set format: blocks that begin at a line starting with a marker
// (case-sensitive), the block's body running to the next marker line:
//   [description]       the body is the set's description
//   [startup]           each trimmed body line is a startup command ("#" and
//                       empty lines skipped)
//   [settings]          library settings lines, kept verbatim
//   [source]=NAME       a source definition (source body format)
//   [category]=NAME     a category: an optional first line "view=list" or
//                       "view=tiled", then one source reference per line
//                       (lines beginning with "*" and empty lines skipped)
//   [view]=NAME         recognised, body ignored
// Lines before the first marker are ignored; a "[source]=" or "[category]="
// block without a name is skipped. A category whose name repeats an earlier
// one (without case) adds its references to the earlier one.

// Parses `text` into `set` (replacing its content) and collects the source
// definitions into `definitions`.
void ReadCategorySet(const std::u16string& text, CategorySet& set, SourceDefinitions& definitions);

// The text of `set`: description, startup commands, the definitions of the
// user-defined sources of `table` that written categories reference, then
// the categories without the not-written flag. The settings text is not
// written: it belongs to the library the set was loaded into.
std::u16string FormatCategorySet(const CategorySet& set, const SourceTable& table);

// Writes FormatCategorySet as a text file (UTF-8, trailing zero byte).
bool WriteCategorySet(const CategorySet& set, const std::filesystem::path& path, const SourceTable& table);

}  // namespace brambel
