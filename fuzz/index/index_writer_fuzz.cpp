// The batch writer on arbitrary bytes taken as a main index file: a flush
// must never crash, loop or write outside the file's record space, however
// damaged the tree, the term chains or the id-block heads are. The first
// input byte chooses how many flushes run; the rest is the file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "index/index_writer.h"
#include "index/main_index.h"

namespace {

constexpr size_t kLargestInput = 1 << 16;

const std::filesystem::path& scratchFile() {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("brambel-writer-fuzz-" + std::to_string(getpid()) + ".zidx");
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace brambel;
  if (size < 1 || size > kLargestInput) return 0;
  const int flushes = 1 + data[0] % 3;
  {
    std::ofstream out(scratchFile(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  }
  IndexFile index(scratchFile(), 0, mainIndexOptions(false, 64));
  if (!index.isValid()) return 0;
  IndexWriter writer(index);
  for (int flush = 0; flush < flushes; ++flush) {
    // Short terms, long ones sharing a key and new keys on both sides of anything stored.
    writer.addText(7 + flush, u"fuzz aa zz abcdefghijklmnopq abcdefghijklmnopr internationalisation");
    writer.addText(9 + flush, u"abcdefghijklmnopq fuzz mm " + std::u16string(1, static_cast<char16_t>(u'a' + flush)) + u"zz");
    writer.flush();
  }
  return 0;
}
