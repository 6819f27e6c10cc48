#include "store/key_value_records.h"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <vector>

#include "store/inflation_limit.h"
#include "store/little_endian.h"

namespace brambel {

namespace {

constexpr uint64_t kHeadSize = 24;
constexpr size_t kDeflatePiece = 32768;
// Values up to this size stay plain even when compression is on: deflating
// them saves little and a plain record can be updated in place.
constexpr size_t kDeflateThreshold = 512;

std::optional<std::string> deflateBytes(std::string_view data) {
  z_stream z{};
  if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK) return std::nullopt;
  std::string out;
  auto buffer = std::make_unique<char[]>(kDeflatePiece);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  int status = Z_OK;
  while (status != Z_STREAM_END) {
    z.next_out = reinterpret_cast<Bytef*>(buffer.get());
    z.avail_out = kDeflatePiece;
    status = deflate(&z, Z_FINISH);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) break;
    out.append(buffer.get(), kDeflatePiece - z.avail_out);
  }
  deflateEnd(&z);
  if (status != Z_STREAM_END) return std::nullopt;
  return out;
}

// Inflates at most `limit` bytes; output grows only with what the stream
// really holds, so a damaged capacity field cannot force a large allocation.
std::optional<std::string> inflateBytes(std::string_view data, uint64_t limit) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  std::string out;
  auto buffer = std::make_unique<char[]>(kDeflatePiece);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  int status = Z_OK;
  do {
    z.next_out = reinterpret_cast<Bytef*>(buffer.get());
    z.avail_out = kDeflatePiece;
    status = inflate(&z, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    out.append(buffer.get(), kDeflatePiece - z.avail_out);
  } while (status != Z_STREAM_END && out.size() <= limit);
  inflateEnd(&z);
  if (status != Z_STREAM_END || out.size() > limit) return std::nullopt;
  return out;
}

std::string encodeDataHead(uint64_t next, uint32_t length, uint32_t capacity, uint32_t deflatedLength,
                           bool deflated) {
  std::string head;
  appendLe64(head, next);
  appendLe32(head, length);
  appendLe32(head, capacity);
  appendLe32(head, deflatedLength);
  appendLe32(head, deflated ? 1 : 0);
  return head;
}

}  // namespace

std::optional<std::string> RecordFile::read(uint64_t position, uint64_t length) const {
  if (position > size_ || length > size_ - position) return std::nullopt;
  std::string bytes(static_cast<size_t>(length), '\0');
  if (!file_.readExactlyAt(position, bytes.data(), bytes.size())) return std::nullopt;
  return bytes;
}

std::optional<uint64_t> RecordFile::append(std::string_view bytes) {
  const uint64_t unsplit = bytes.size() <= kPageSize ? bytes.size() : kHeadSize;
  uint64_t at = size_;
  if (unsplit > 0 && at / kPageSize != (at + unsplit - 1) / kPageSize) at = (at / kPageSize + 1) * kPageSize;
  if (!file_.writeAt(at, bytes.data(), bytes.size())) return std::nullopt;
  size_ = at + bytes.size();
  return at;
}

bool RecordFile::overwrite(uint64_t position, std::string_view bytes) {
  if (!file_.writeAt(position, bytes.data(), bytes.size())) return false;
  size_ = std::max<uint64_t>(size_, position + bytes.size());
  return true;
}

std::optional<KeyRecord> RecordFile::readKeyRecord(uint64_t address) const {
  if (address == 0) return std::nullopt;
  auto head = read(address, kHeadSize);
  if (!head) return std::nullopt;
  KeyRecord record;
  record.address = address;
  record.firstData = loadLe64(head->data());
  record.next = loadLe64(head->data() + 8);
  const uint32_t length = loadLe32(head->data() + 16);
  auto remainder = read(address + kHeadSize, length);
  if (!remainder) return std::nullopt;
  record.remainder = std::move(*remainder);
  return record;
}

bool RecordFile::writeKeyRecord(KeyRecord& record) {
  std::string bytes;
  appendLe64(bytes, record.firstData);
  appendLe64(bytes, record.next);
  appendLe32(bytes, static_cast<uint32_t>(record.remainder.size()));
  appendLe32(bytes, 0);
  bytes += record.remainder;
  if (record.address != 0) return overwrite(record.address, bytes);
  auto at = append(bytes);
  if (!at) return false;
  record.address = *at;
  return true;
}

std::optional<RecordFile::DataHead> RecordFile::readDataHead(uint64_t address) const {
  if (address == 0) return std::nullopt;
  auto bytes = read(address, kHeadSize);
  if (!bytes) return std::nullopt;
  DataHead head;
  head.next = loadLe64(bytes->data());
  head.length = loadLe32(bytes->data() + 8);
  head.capacity = loadLe32(bytes->data() + 12);
  head.deflatedLength = loadLe32(bytes->data() + 16);
  head.deflated = loadLe32(bytes->data() + 20);
  if (head.length > head.capacity) return std::nullopt;
  const uint64_t stored = head.deflated ? head.deflatedLength : head.capacity;
  if (stored > size_ - address - kHeadSize) return std::nullopt;
  return head;
}

std::optional<std::string> RecordFile::readValue(uint64_t firstData) const {
  std::string value;
  std::unordered_set<uint64_t> visited;
  for (uint64_t address = firstData; address != 0;) {
    // A chain that comes back to a record would repeat its data forever.
    if (!visited.insert(address).second) return std::nullopt;
    auto head = readDataHead(address);
    if (!head || value.size() + head->length > kMaxValueSize) return std::nullopt;
    if (head->deflated) {
      auto packed = read(address + kHeadSize, head->deflatedLength);
      if (!packed) return std::nullopt;
      auto data = inflateBytes(*packed, std::min<uint64_t>(head->capacity, inflationLimit(packed->size())));
      if (!data || data->size() < head->length) return std::nullopt;
      value.append(*data, 0, head->length);
    } else {
      auto data = read(address + kHeadSize, head->length);
      if (!data) return std::nullopt;
      value += *data;
    }
    address = head->next;
  }
  return value;
}

std::optional<uint64_t> RecordFile::appendDataRecord(std::string_view data, bool compress) {
  if (data.size() > UINT32_MAX) return std::nullopt;
  const auto length = static_cast<uint32_t>(data.size());
  if (compress && data.size() > kDeflateThreshold) {
    auto packed = deflateBytes(data);
    if (!packed || packed->size() > UINT32_MAX) return std::nullopt;
    return append(encodeDataHead(0, length, length, static_cast<uint32_t>(packed->size()), true) + *packed);
  }
  return append(encodeDataHead(0, length, length, 0, false) + std::string(data));
}

std::optional<uint64_t> RecordFile::storeValue(uint64_t firstData, std::string_view value, bool compress) {
  // The plain records reused in place, each with the part of the value it now holds.
  struct Reused {
    uint64_t address;
    DataHead head;
    std::string_view data;
  };
  std::vector<Reused> reused;
  uint64_t address = firstData;
  std::string_view rest = value;
  uint64_t tail = 0;  // a new record for what no reused record could take
  std::unordered_set<uint64_t> visited;
  while (true) {
    std::optional<DataHead> head;
    // A record met twice (a looping chain) is not reused again.
    if (address != 0 && visited.insert(address).second) head = readDataHead(address);
    if (!head || head->deflated) {
      auto created = appendDataRecord(rest, compress);
      if (!created) return std::nullopt;
      tail = *created;
      break;
    }
    const size_t take = std::min<size_t>(rest.size(), head->capacity);
    reused.push_back({address, *head, rest.substr(0, take)});
    rest.remove_prefix(take);
    if (rest.empty()) break;
    address = head->next;
  }
  if (reused.empty()) return tail;
  // Rewrite from the end of the chain to its start so that every link written
  // points at a record that is already complete. The last reused record ends
  // the chain (or links the new tail): continuations of a longer old value are cut off.
  uint64_t next = tail;
  for (auto it = reused.rbegin(); it != reused.rend(); ++it) {
    const auto length = static_cast<uint32_t>(it->data.size());
    std::string bytes = encodeDataHead(next, length, it->head.capacity, 0, false);
    bytes += it->data;
    if (!overwrite(it->address, bytes)) return std::nullopt;
    next = it->address;
  }
  return firstData;
}

}  // namespace brambel
