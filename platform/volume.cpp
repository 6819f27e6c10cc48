#include "platform/volume.h"

#include <sys/statvfs.h>

#include <system_error>

namespace brambel {
namespace {

// The path itself when it exists, else its nearest existing ancestor.
std::optional<std::filesystem::path> existingAncestor(std::filesystem::path path) {
  std::error_code error;
  path = std::filesystem::absolute(path, error);
  if (error) return std::nullopt;
  for (;;) {
    if (std::filesystem::exists(path, error)) return path;
    if (!path.has_relative_path()) return std::nullopt;
    path = path.parent_path();
  }
}

std::optional<struct statvfs> statVolume(const std::filesystem::path& path) {
  auto existing = existingAncestor(path);
  if (!existing) return std::nullopt;
  struct statvfs status;
  if (statvfs(existing->c_str(), &status) != 0) return std::nullopt;
  return status;
}

bool isPowerOfTwo(uint64_t value) { return value != 0 && (value & (value - 1)) == 0; }

}  // namespace

std::optional<VolumeGeometry> queryVolumeGeometry(const std::filesystem::path& path) {
  auto status = statVolume(path);
  if (!status) return std::nullopt;
  // f_bsize is the preferred transfer block; f_frsize the allocation unit.
  uint64_t cluster = status->f_frsize ? status->f_frsize : status->f_bsize;
  if (!isPowerOfTwo(cluster) || cluster < 512 || cluster > 65536) return std::nullopt;
  // The file system does not tell the device's sector size; 512 is the
  // smallest any device uses and so a safe padding unit.
  return VolumeGeometry{static_cast<uint32_t>(cluster), 512};
}

std::optional<uint64_t> freeSpaceFor(const std::filesystem::path& path) {
  auto status = statVolume(path);
  if (!status) return std::nullopt;
  return uint64_t{status->f_bavail} * (status->f_frsize ? status->f_frsize : status->f_bsize);
}

}  // namespace brambel
