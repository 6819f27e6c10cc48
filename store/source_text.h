#pragma once

#include <string>

#include "store/cache_object.h"

namespace brambel {

// The page bytes as fetched, stored as one zlib stream (level 9) written in
// 32 KiB pieces. Header field 24 points at the stream, field 32 holds its
// length in bytes. Every byte comes back as stored, 0 bytes included.
class SourceText : public CacheObject {
 public:
  static constexpr size_t kPieceSize = 32768;
  // Pages the program saves are far smaller; a stream inflating beyond this
  // (or beyond what its stored length can hold) is damage or a bomb.
  static constexpr uint64_t kMaxPageBytes = uint64_t{64} << 20;

  SourceText() = default;
  explicit SourceText(std::string page) : bytes(std::move(page)) {}

  // False when the section is absent, the stream is damaged, ends early or
  // inflates beyond kMaxPageBytes.
  bool ReadFrom(const ContentFile& file) override;
  bool WriteTo(ContentFile& file) override;

  std::string bytes;
};

}  // namespace brambel
