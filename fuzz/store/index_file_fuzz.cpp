// Opens arbitrary bytes as an index section and reads, checks and writes it.
// The first input byte chooses the I/O kind (bit 0) and whether a writer
// adds terms (bit 1); the rest is the file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "store/index_file.h"
#include "store/index_file_checker.h"
#include "store/index_session.h"

namespace {

constexpr size_t kLargestInput = 1 << 16;

const std::filesystem::path& scratchFile() {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("brambel-index-fuzz-" + std::to_string(getpid()) + ".zidx");
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace brambel;
  if (size < 1 || size > kLargestInput) return 0;
  const bool cached = data[0] & 1;
  const bool write = data[0] & 2;
  {
    std::ofstream out(scratchFile(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  }

  checkIndexFile(scratchFile(), 0, cached, 10);

  IndexFileOptions options;
  options.readOnly = !write;
  options.cached = cached;
  options.cacheSize = 16 * 4096;
  IndexFile index(scratchFile(), 0, options);
  if (index.isValid()) {
    if (auto session = index.beginRead()) {
      size_t visited = 0;
      session->forEachTerm(u"", [&](const std::u16string&, const TermRecord& record) {
        session->postingsOf(record);
        return ++visited < 2000;
      });
      if (auto record = session->findTerm(u"abcdefghijklmnop")) session->postingsOf(*record);
    }
    if (write) {
      if (auto session = index.beginWrite()) {
        const Posting posting{7, 1.0f};
        session->addPostings(u"fuzz", {&posting, 1});
        session->addPostings(u"abcdefghijklmnopq", {&posting, 1});
      }
    }
  }
  return 0;
}
