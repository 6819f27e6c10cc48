#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace brambel {

// Anything offering a blocking read of a body: an open HTTP request, or bytes
// held in memory. The body reader (http_body.h) reads through this.
class ByteStream {
 public:
  virtual ~ByteStream() = default;

  // Reads up to `size` bytes into `buffer` and answers how many were read;
  // 0 at the end of the body, and also when the read failed (see failed()).
  virtual size_t read(char* buffer, size_t size) = 0;

  // True once a read has failed (connection lost, time-out). Bytes read
  // before the failure stay valid; the body as a whole is incomplete.
  virtual bool failed() const { return false; }
};

// Bytes held in memory, handed out in pieces of at most `piece` bytes (a
// network delivers a body in pieces of its own choosing too).
class MemoryByteStream : public ByteStream {
 public:
  explicit MemoryByteStream(std::string_view bytes, size_t piece = 65536)
      : bytes_(bytes), piece_(std::max<size_t>(piece, 1)) {}

  size_t read(char* buffer, size_t size) override {
    size_t count = std::min({size, piece_, bytes_.size() - offset_});
    std::copy_n(bytes_.data() + offset_, count, buffer);
    offset_ += count;
    return count;
  }

  // How many bytes have been read so far.
  size_t offset() const { return offset_; }

 private:
  std::string bytes_;
  size_t piece_;
  size_t offset_ = 0;
};

}  // namespace brambel
