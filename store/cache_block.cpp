#include "store/cache_block.h"

#include <cstring>

#include "platform/file.h"

namespace brambel {

CacheBlock::Buffer CacheBlock::allocate(uint32_t size) {
  const size_t rounded = (size + kPageSize - 1) / kPageSize * kPageSize;
  auto* bytes = static_cast<uint8_t*>(std::aligned_alloc(kPageSize, rounded));
  if (bytes) std::memset(bytes, 0, rounded);
  return Buffer(bytes);
}

}  // namespace brambel
