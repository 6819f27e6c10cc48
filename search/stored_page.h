#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "index/term_filter.h"
#include "index/term_score.h"
#include "store/source_stats.h"
#include "store/term_offsets.h"

namespace brambel {

class LibraryStore;

// A stored page as scoring and summaries read it: its indexed text, the
// counts of that text, and where each of its terms occurs.
struct StoredPage {
  std::u16string text;
  SourceStats stats;
  TermOffsets terms;  // positions are UTF-16 offsets into `text`
};

// The page of `recordId`; nothing when its content file, its text or its
// statistics cannot be read. The text is cut into terms as the index cuts
// it, case as it stands.
std::optional<StoredPage> ReadStoredPage(const LibraryStore& library, uint32_t recordId,
                                         const TermFilter& filter);

// Term positions read from a page's term map.
class PagePositions : public TermPositions {
 public:
  explicit PagePositions(const TermOffsets& terms) : terms_(terms) {}
  std::vector<uint32_t> positionsOf(std::u16string_view term) const override;

 private:
  const TermOffsets& terms_;
};

}  // namespace brambel
