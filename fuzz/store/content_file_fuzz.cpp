// Opens a content file made of arbitrary bytes, reads every section, then
// appends a section to it: nothing may crash, hang or allocate beyond the
// file's size.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz/store/scratch_file.h"
#include "store/btree_cache_object.h"
#include "store/source_index_text.h"
#include "store/source_links.h"
#include "store/source_list.h"
#include "store/source_result_record.h"
#include "store/source_stats.h"
#include "store/source_text.h"
#include "store/term_offsets.h"

namespace {

constexpr size_t kLargestInput = 1 << 16;

void readEverySection(const brambel::ContentFile& file) {
  brambel::SourceResultRecord record;
  record.ReadFrom(file);
  brambel::URLResult url;
  url.ReadFrom(file);
  brambel::SourceText text;
  text.ReadFrom(file);
  brambel::TermOffsets offsets;
  offsets.ReadFrom(file);
  brambel::BTreeCacheObject table;
  table.ReadFrom(file);
  brambel::SourceStats stats;
  stats.ReadFrom(file);
  brambel::SourceIndexText whole;
  whole.ReadFrom(file);
  brambel::SourceIndexText window(3, 7);
  window.ReadFrom(file);
  brambel::SourceLinks links;
  links.ReadFrom(file);
  brambel::SourceList sources;
  if (sources.ReadFrom(file)) sources.merge({u"rss/a"});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kLargestInput) return 0;
  const auto path = brambel::fuzzing::writeScratchFile("content_file_fuzz.zdoc", data, size);
  if (path.empty()) return 0;
  readEverySection(brambel::ContentFile::openForReading(path));
  auto writable = brambel::ContentFile::openForWriting(path);
  brambel::SourceResult result;
  result.url = u"http://example.org/";
  brambel::SourceList({u"rss/a", u"web/b"}).WriteTo(writable);
  brambel::SourceResultRecord(result).WriteTo(writable);
  readEverySection(writable);
  return 0;
}
