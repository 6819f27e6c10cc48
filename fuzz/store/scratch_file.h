#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/file.h"

namespace brambel::fuzzing {

// Store parsers read files, so each input is written to one scratch file per
// process (named after `name`) before it is opened; the file is removed when
// the process exits. Nothing when it cannot be written.
inline std::filesystem::path writeScratchFile(const std::string& name, const uint8_t* data, size_t size) {
  struct Scratch {
    std::filesystem::path path;
    ~Scratch() {
      std::error_code ignored;
      std::filesystem::remove(path, ignored);
    }
  };
  static const Scratch scratch{std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()))};
  const auto& path = scratch.path;
  File file = File::open(path, File::Access::ReadWrite, File::Disposition::OpenAlways);
  if (!file.isOpen() || ::ftruncate(file.descriptor(), 0) != 0 || !file.writeAt(0, data, size)) return {};
  return path;
}

}  // namespace brambel::fuzzing
