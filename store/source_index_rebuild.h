#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>

#include "store/source_result.h"

namespace brambel {

class LibraryStore;
class SourceIndex;

// What a rebuild of the source index found.
struct SourceIndexRebuild {
  size_t filed = 0;     // documents filed under at least one source
  size_t unlisted = 0;  // documents whose content file keeps no source list (written before lists were kept)
  size_t skipped = 0;   // content files damaged, cut short, or no longer their URL's document

  // "8 documents filed under their sources", and what was left out.
  std::string summary() const;
};

// Files every document of the library into `index` under the sources its
// content file lists. A document is every content file whose result record
// reads and whose URL's marks still name it. Documents without a stored list
// (written before lists were kept, or not saved yet) are filed under the
// sources the `alsoKnown` results give for their URL: the results of the last
// batch and of the current search. Damaged files are skipped and counted,
// never fatal. `progress` receives 0 to 100. The index is not saved here.
SourceIndexRebuild RebuildSourceIndex(const LibraryStore& library, SourceIndex& index,
                                      std::span<const SourceResult> alsoKnown,
                                      const std::function<void(int percent)>& progress);

}  // namespace brambel
