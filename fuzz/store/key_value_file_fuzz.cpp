// Opens a key-value file made of arbitrary bytes, walks it, looks up what
// the walk found, then inserts and replaces keys and walks again: nothing may
// crash, hang or allocate beyond the file's size.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/store/scratch_file.h"
#include "store/key_value_file.h"

namespace {

constexpr size_t kLargestInput = 1 << 16;
constexpr size_t kKeysLookedUp = 16;

std::vector<std::string> walk(const brambel::KeyValueFile& file) {
  std::vector<std::string> keys;
  file.Walk([&](std::string_view key, std::string_view) {
    if (keys.size() < kKeysLookedUp) keys.emplace_back(key);
    return true;
  });
  return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kLargestInput) return 0;
  const auto path = brambel::fuzzing::writeScratchFile("key_value_file_fuzz.zurl", data, size);
  if (path.empty()) return 0;
  brambel::KeyValueFile::Options readOnly;
  readOnly.readOnly = true;
  brambel::KeyValueFile reader(path, readOnly);
  for (const auto& key : walk(reader)) reader.Get(key);
  reader.Get("missing");
  reader.Check();

  brambel::KeyValueFile writer(path, {});
  const std::string longKey(writer.keyLength() + 5, 'k');
  writer.Put("short", "value");
  writer.Put(longKey, std::string(600, 'v'));
  writer.Put("short", std::string(40, 'w'));
  for (const auto& key : walk(writer)) writer.Get(key);
  return 0;
}
