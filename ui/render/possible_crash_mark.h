#pragma once

#include <cstdint>
#include <memory>

namespace brambel {

class LibraryStore;

// The possible-crash flag of a saved page's record, held while its preview
// is drawn: set on construction, cleared on destruction when the record
// still exists. A record found flagged means the program ended while
// drawing that page, so it is not drawn again (until the page is saved
// anew, which writes a fresh record).
class PossibleCrashMark {
 public:
  // Whether the record of document `documentId` carries the flag.
  static bool isSet(const LibraryStore& store, uint32_t documentId);

  PossibleCrashMark(std::shared_ptr<LibraryStore> store, uint32_t documentId);
  ~PossibleCrashMark();
  PossibleCrashMark(const PossibleCrashMark&) = delete;
  PossibleCrashMark& operator=(const PossibleCrashMark&) = delete;

  // False when the record could not be flagged (gone, or a read-only library).
  bool isHeld() const { return held_; }

 private:
  static bool write(LibraryStore& store, uint32_t documentId, bool flagged);

  std::shared_ptr<LibraryStore> store_;
  uint32_t documentId_;
  bool held_ = false;
};

}  // namespace brambel
