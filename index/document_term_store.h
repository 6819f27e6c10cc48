#pragma once

#include "store/index_file.h"
#include "store/term_offsets.h"

namespace brambel {

// Writes a document's term map into its own term table (an unweighted index
// section inside its content file): every term with its positions as
// postings, in ascending term order (so nodes split as when appending), in
// one write session. False when the section is invalid, read-only or could
// not be written.
bool StoreTermPositions(IndexFile& table, const TermOffsets& terms);

}  // namespace brambel
