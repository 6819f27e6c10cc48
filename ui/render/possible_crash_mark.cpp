#include "ui/render/possible_crash_mark.h"

#include "pipeline/stored_page_fields.h"
#include "store/content_file.h"
#include "store/library_store.h"
#include "store/source_result_record.h"

namespace brambel {

bool PossibleCrashMark::isSet(const LibraryStore& store, uint32_t documentId) {
  std::optional<SourceResult> record = store.readRecord(documentId);
  return record && StoredPageFields::possibleCrash(*record);
}

PossibleCrashMark::PossibleCrashMark(std::shared_ptr<LibraryStore> store, uint32_t documentId)
    : store_(std::move(store)), documentId_(documentId) {
  held_ = store_ && write(*store_, documentId_, true);
}

PossibleCrashMark::~PossibleCrashMark() {
  if (held_) write(*store_, documentId_, false);
}

bool PossibleCrashMark::write(LibraryStore& store, uint32_t documentId, bool flagged) {
  std::optional<SourceResult> record = store.readRecord(documentId);
  if (!record) return false;
  std::optional<std::filesystem::path> path = store.prepareContentPath(documentId);
  if (!path) return false;
  StoredPageFields::setPossibleCrash(*record, flagged);
  ContentFile file = ContentFile::openForWriting(*path);
  return file.isWritable() && SourceResultRecord(std::move(*record)).WriteTo(file);
}

}  // namespace brambel
