#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace brambel {

// The unit in which the kernel copies a write: a write killed midway stops
// at a page boundary, so bytes within one page land all or not at all.
// Also the alignment of block buffers.
inline constexpr uint64_t kPageSize = 4096;

// One open file descriptor, closed when the object goes away. All transfers
// are positioned (pread/pwrite), so several threads may share one File
// without a common seek position.
class File {
 public:
  enum class Access { Read, ReadWrite };
  enum class Disposition { OpenExisting, OpenAlways };

  File() = default;
  explicit File(int descriptor) : descriptor_(descriptor) {}
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens `path`; on failure the result is not open and `error` (when given)
  // receives the errno value.
  static File open(const std::filesystem::path& path, Access access,
                   Disposition disposition = Disposition::OpenExisting, int* error = nullptr);

  bool isOpen() const { return descriptor_ >= 0; }
  int descriptor() const { return descriptor_; }
  void close();

  // Reads up to `length` bytes at `position`, retrying short transfers until
  // the end of the file. Returns the number of bytes read, or -1 on error.
  int64_t readAt(uint64_t position, void* bytes, size_t length) const;
  // True only when all `length` bytes were read.
  bool readExactlyAt(uint64_t position, void* bytes, size_t length) const;
  // Like readExactlyAt, but reads until two reads in a row agree, so that a
  // record another process is rewriting at the same moment is not returned
  // half old and half new. Gives up after a few attempts.
  bool readSettledAt(uint64_t position, void* bytes, size_t length) const;
  // Writes all `length` bytes at `position`; false on any error or short write.
  bool writeAt(uint64_t position, const void* bytes, size_t length) const;

  std::optional<uint64_t> size() const;
  // Which file this is (device and inode): a file renamed over the same
  // name is another file.
  struct Identity {
    uint64_t device = 0;
    uint64_t inode = 0;
    friend bool operator==(const Identity&, const Identity&) = default;
  };
  std::optional<Identity> identity() const;
  // The identity of the file `path` names now; none when there is none.
  static std::optional<Identity> identityOf(const std::filesystem::path& path);
  // Forces written data to stable storage.
  bool sync() const;

 private:
  int descriptor_ = -1;
};

// Makes a new or renamed directory entry of `path` durable.
bool syncParentDirectory(const std::filesystem::path& path);

}  // namespace brambel
