#include "store/term_record.h"

#include "store/little_endian.h"

namespace brambel {

std::string TermRecord::encode() const {
  std::string bytes;
  bytes.reserve(storedSize());
  appendLe64(bytes, firstIdBlock.value);
  appendLe64(bytes, next.value);
  appendLe32(bytes, firstBlockCapacity);
  appendLe32(bytes, static_cast<uint32_t>(suffix.size()));
  for (char16_t unit : suffix) appendLe16(bytes, unit);
  return bytes;
}

TermRecord TermRecord::decodeHead(const uint8_t* head, uint32_t& length) {
  TermRecord record;
  record.firstIdBlock = RecordAddress{loadLe64(head)};
  record.next = RecordAddress{loadLe64(head + 8)};
  record.firstBlockCapacity = loadLe32(head + 16);
  length = loadLe32(head + 20);
  return record;
}

bool isStorableTerm(std::u16string_view term) {
  return !term.empty() && term.size() <= kMaxStoredTermLength && term.find(u'\0') == std::u16string_view::npos;
}

bool isStorableTerm(std::u16string_view term, uint32_t prefixLength, uint32_t clusterSize) {
  const size_t suffix = term.size() > prefixLength ? term.size() - prefixLength : 0;
  return isStorableTerm(term) && TermRecord::kHeadSize + 2 * suffix <= clusterSize;
}

}  // namespace brambel
