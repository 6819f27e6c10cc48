#include "store/source_index_rebuild.h"

#include <unordered_set>
#include <vector>

#include "store/content_file.h"
#include "store/content_files.h"
#include "store/library_store.h"
#include "store/source_index.h"
#include "store/source_list.h"
#include "store/source_result_record.h"

namespace brambel {

std::string SourceIndexRebuild::summary() const {
  std::string text = std::to_string(filed) + " documents filed under their sources";
  if (unlisted != 0) text += "; " + std::to_string(unlisted) + " stored without a source list (from an older version)";
  if (skipped != 0) text += "; " + std::to_string(skipped) + " content files skipped (damaged, incomplete or orphaned)";
  return text;
}

namespace {

enum class StoredList { Listed, Unlisted, Unusable };

// Reads one content file's list; `ids` is left empty unless it is Listed.
StoredList readStoredList(const LibraryStore& library, const StoredContentFile& stored, SourceList& list) {
  ContentFile file = ContentFile::openForReading(stored.path);
  URLResult owner;
  // No record: damaged, or its writing was cut short (the record goes last).
  if (!owner.ReadFrom(file)) return StoredList::Unusable;
  if (library.readMarks(owner.url).recordId != stored.recordId) return StoredList::Unusable;
  if (list.ReadFrom(file)) return StoredList::Listed;
  return file.offset(ContentFile::Field::SourceListOffset) == 0 ? StoredList::Unlisted : StoredList::Unusable;
}

}  // namespace

SourceIndexRebuild RebuildSourceIndex(const LibraryStore& library, SourceIndex& index,
                                      std::span<const SourceResult> alsoKnown,
                                      const std::function<void(int percent)>& progress) {
  SourceIndexRebuild outcome;
  std::unordered_set<uint32_t> filed, decided;
  const std::vector<StoredContentFile> files = listContentFiles(library);
  const size_t steps = files.size() + alsoKnown.size();
  size_t step = 0;
  int shown = -1;
  auto advance = [&] {
    const int percent = static_cast<int>(++step * 100 / steps);
    if (progress && percent != shown) progress(shown = percent);
  };

  for (const StoredContentFile& stored : files) {
    SourceList list;
    switch (readStoredList(library, stored, list)) {
      case StoredList::Listed:
        decided.insert(stored.recordId);
        for (const std::u16string& source : list.ids)
          if (index.add(source, stored.recordId)) filed.insert(stored.recordId);
        break;
      case StoredList::Unlisted:
        ++outcome.unlisted;
        break;
      case StoredList::Unusable:
        decided.insert(stored.recordId);
        ++outcome.skipped;
        break;
    }
    advance();
  }
  for (const SourceResult& result : alsoKnown) {
    const uint32_t id = library.readMarks(result.url).recordId;
    if (id != 0 && !decided.contains(id))
      for (const std::u16string& source : result.sources)
        if (index.add(source, id)) filed.insert(id);
    advance();
  }
  if (progress && steps == 0) progress(100);
  outcome.filed = filed.size();
  return outcome;
}

}  // namespace brambel
