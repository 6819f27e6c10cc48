#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace brambel::testing {

// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path file(std::string_view name) const { return path_ / name; }

  // Writes `bytes` to `name` inside the directory and returns its path.
  std::filesystem::path write(std::string_view name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

// The whole content of a file, or an empty string when it cannot be read.
std::string readFileBytes(const std::filesystem::path& path);

// Every entry below `directory` by relative path: a file's bytes, "<dir>"
// for a directory. Two equal snapshots mean nothing in the tree changed.
std::map<std::string, std::string> directorySnapshot(const std::filesystem::path& directory);

}  // namespace brambel::testing
