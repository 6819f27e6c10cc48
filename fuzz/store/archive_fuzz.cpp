// Reads arbitrary bytes in every archive form the library keeps: the source
// index map, the saved-terms list and the result record. The first byte picks
// the form so that each one is explored from the start of its data.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "store/archive_collections.h"
#include "store/source_result_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  brambel::ArchiveReader reader(bytes);
  switch (data[0] % 4) {
    case 0:
      brambel::readStringMap(reader);
      break;
    case 1:
      brambel::readStringList(reader);
      break;
    case 2:
      brambel::readSavedTermsArchive(bytes);
      break;
    default:
      while (brambel::readSourceResultArchive(reader)) {
      }
      break;
  }
  return 0;
}
