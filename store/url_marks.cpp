#include "store/url_marks.h"

#include <algorithm>

#include "store/little_endian.h"

namespace brambel {

namespace {

void setBit(uint8_t& byte, uint8_t bit, bool value) {
  byte = value ? static_cast<uint8_t>(byte | bit) : static_cast<uint8_t>(byte & ~bit);
}

}  // namespace

void UrlMarks::setIgnored(bool value) { setBit(flags, kIgnoredBit, value); }
void UrlMarks::setIndexed(bool value) { setBit(flags, kIndexedBit, value); }
void UrlMarks::setPermanent(bool value) { setBit(permanentFlags, kPermanentBit, value); }
void UrlMarks::setRead(bool value) { setBit(permanentFlags, kReadBit, value); }

std::string UrlMarks::encode() const {
  std::string bytes(kSize, '\0');
  std::copy(leading.begin(), leading.end(), bytes.begin());
  storeLe32(&bytes[8], recordId);
  storeLe32(&bytes[12], clickDate);
  storeLe32(&bytes[16], hoverDate);
  bytes[20] = static_cast<char>(flags);
  bytes[21] = static_cast<char>(permanentFlags);
  std::copy(trailing.begin(), trailing.end(), bytes.begin() + 22);
  return bytes;
}

std::optional<UrlMarks> UrlMarks::decode(std::string_view bytes) {
  if (bytes.size() < kSize) return std::nullopt;
  UrlMarks marks;
  std::copy_n(bytes.begin(), marks.leading.size(), marks.leading.begin());
  marks.recordId = loadLe32(&bytes[8]);
  marks.clickDate = loadLe32(&bytes[12]);
  marks.hoverDate = loadLe32(&bytes[16]);
  marks.flags = static_cast<uint8_t>(bytes[20]);
  marks.permanentFlags = static_cast<uint8_t>(bytes[21]);
  std::copy_n(bytes.begin() + 22, marks.trailing.size(), marks.trailing.begin());
  return marks;
}

}  // namespace brambel
