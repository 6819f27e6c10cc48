// Reads arbitrary bytes as a removal file: the entries and the trailer must
// come back consistent (no id 0, progress within the entries) and a trailer
// written for them must read back as written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "pipeline/removal_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const brambel::RemovalFileContents contents = brambel::parseRemovalFile(bytes);
  if (contents.progress > contents.ids.size() || contents.ids.size() > size / 4) std::abort();
  for (uint32_t id : contents.ids)
    if (id == 0) std::abort();

  std::string rewritten;
  for (uint32_t id : contents.ids)
    for (int shift = 0; shift < 32; shift += 8) rewritten.push_back(static_cast<char>(id >> shift));
  rewritten += brambel::encodeRemovalTrailer(contents.progress, contents.stamp);
  const brambel::RemovalFileContents again = brambel::parseRemovalFile(rewritten);
  if (!again.hasTrailer || again.ids != contents.ids || again.progress != contents.progress ||
      again.stamp != contents.stamp)
    std::abort();
  return 0;
}
