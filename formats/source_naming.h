#pragma once

#include <string>

namespace brambel {

class SourceTable;

// A name for a new source that no source of `table` bears (names compare
// without case): `proposed` without punctuation (ASCII and Unicode) and
// trimmed; `defaultName`, or "Unknown Source", when nothing is left; then,
// while taken, the name followed by "(0)", "(1)", ...
std::u16string uniqueSourceName(const std::u16string& proposed, const SourceTable& table,
                                const std::u16string& defaultName = {});

}  // namespace brambel
