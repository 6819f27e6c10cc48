#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace brambel {

// Allocation geometry of the file system that holds a path.
struct VolumeGeometry {
  uint32_t clusterSize = 4096;  // bytes of one allocation unit (file-system block)
  uint32_t sectorSize = 512;    // unit to which raw transfers are padded
};

// The geometry of the volume holding `path` (which need not exist yet; its
// nearest existing ancestor is asked). Empty when the file system cannot be
// queried or reports a block size outside 512 … 65536 or not a power of two.
std::optional<VolumeGeometry> queryVolumeGeometry(const std::filesystem::path& path);

// Bytes available to the calling user on the volume holding `path`.
std::optional<uint64_t> freeSpaceFor(const std::filesystem::path& path);

}  // namespace brambel
