// The PID file another instance left beside a library's lock file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/library_lock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::optional<brambel::ProcessIdentity> holder = brambel::LibraryLock::DecodePidText(bytes);
  // A holder that was read writes back to the same bytes.
  if (holder && brambel::LibraryLock::DecodePidText(brambel::LibraryLock::EncodePidText(*holder)) != holder)
    __builtin_trap();
  return 0;
}
