#include "index/main_index.h"

#include <system_error>

#include "index/index_optimiser.h"

namespace brambel {

namespace {

constexpr uint64_t kReadOnlyCacheSize = 262144;

}  // namespace

IndexFileOptions mainIndexOptions(bool readOnly, uint32_t indexCacheSizeKb) {
  IndexFileOptions options;
  options.readOnly = readOnly;
  options.weighted = true;
  options.cached = true;
  options.cacheSize = readOnly ? kReadOnlyCacheSize : uint64_t{indexCacheSizeKb} * 1024;
  return options;
}

OpenedMainIndex OpenMainIndex(const std::filesystem::path& directory, bool readOnly,
                              uint32_t indexCacheSizeKb) {
  std::error_code error;
  if (!readOnly) std::filesystem::create_directories(directory, error);
  const std::filesystem::path path = directory / kMainIndexFileName;
  if (!readOnly) RecoverInterruptedOptimise(path);
  OpenedMainIndex opened;
  opened.index = std::make_unique<IndexFile>(path, 0, mainIndexOptions(readOnly, indexCacheSizeKb));
  if (!opened.index->isValid()) {
    opened.index.reset();
    opened.index = std::make_unique<IndexFile>(path, 0, mainIndexOptions(true, 0));
    opened.invalidHeader = true;
  }
  return opened;
}

}  // namespace brambel
