#pragma once

#include <cstddef>

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

}  // namespace brambel
