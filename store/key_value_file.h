#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/key_value_node.h"

namespace brambel {

class File;
class RecordFile;

// A file that maps byte-string keys to byte-string values of any length: a
// B-tree of k-byte key prefixes, chains of key records for keys of k bytes or
// more, and chains of data records for the values (key_value_records.h).
// Records are appended and never moved; plain data records are updated in
// place while the value fits.
//
// Header (32 bytes at the base offset B, little-endian):
//   0   u32  format version, 0
//   4   u32  reserved
//   8   u64  address of the root node; 0 = none
//   16  u32  minimum degree t
//   20  u32  key prefix length k
//   24  u8   reserved
//   25  u8   compression flag: values over 512 bytes are stored deflated
//   26  6    reserved
//
// No handle stays open between operations: each one opens the file, re-reads
// the header (another process may have grown the tree) and closes it again.
// One writer at a time (a writer lock on the file, waited for without limit,
// and a mutex inside the process); readers take no lock.
//
// Keys are non-empty and contain no 0 byte (a 0 byte ends a key slot).
class KeyValueFile {
 public:
  static constexpr uint64_t kHeaderSize = 32;
  static constexpr uint32_t kDefaultKeyLength = 9;

  struct Options {
    uint64_t baseOffset = 0;
    bool readOnly = false;
    bool open = true;      // when false nothing is opened and the file stays invalid
    int32_t keyLength = 0;      // k for a new file; below 1 selects 9
    int32_t minimumDegree = 0;  // t for a new file; below 1 selects (k + 2056) / (2k + 32)
    bool compress = false;      // compression flag of a new file
  };

  KeyValueFile(std::filesystem::path path, const Options& options);

  // True when the header was read or created; an invalid file finds nothing,
  // walks nothing and refuses every Put.
  bool isValid() const { return valid_; }
  bool isReadOnly() const { return readOnly_; }
  uint32_t keyLength() const { return layout_.keyLength(); }
  uint32_t minimumDegree() const { return layout_.minimumDegree(); }
  bool compresses() const { return compress_; }
  const std::filesystem::path& path() const { return path_; }

  std::optional<std::string> Get(std::string_view key) const;
  // Inserts the key or replaces its value. False when the file is invalid or
  // read-only, the key is empty or contains a 0 byte, or a write failed.
  bool Put(std::string_view key, std::string_view value);
  using Visitor = std::function<bool(std::string_view key, std::string_view value)>;
  // Visits every key with its value in ascending byte order; keys longer
  // than k are reported whole. `visit` returns false to stop early. Keys
  // whose records are damaged and subtrees that cannot be read are skipped,
  // each with a line in `damage` when given. False when the file cannot be
  // read (or its tree loops).
  bool Walk(const Visitor& visit, std::vector<std::string>* damage = nullptr) const;
  // The damage a whole walk meets; empty for a sound file. Nothing when the
  // file cannot be read at all.
  std::optional<std::vector<std::string>> Check() const;

 private:
  struct Header {
    uint64_t root = 0;
    uint32_t minimumDegree = 0;
    uint32_t keyLength = 0;
    bool compress = false;
  };
  struct Location;

  void open(const Options& options);
  std::optional<Header> readHeader(const File& file) const;
  bool writeHeader(RecordFile& records, uint64_t root) const;
  bool createTree(RecordFile& records);
  std::optional<uint64_t> currentRoot(const RecordFile& records) const;

  // The node at `address` without its keys at or above `bound` (left there
  // by a split cut short); nothing when it cannot be read or decoded.
  std::optional<KeyValueNode> readNode(const RecordFile& records, uint64_t address,
                                       const std::optional<std::string>& bound = std::nullopt) const;
  bool writeNode(RecordFile& records, KeyValueNode& node) const;
  // False when the tree is damaged; otherwise `found` holds the key's node and index, if present.
  bool find(const RecordFile& records, uint64_t root, std::string_view prefix, std::optional<Location>& found) const;
  std::optional<uint64_t> findData(const RecordFile& records, uint64_t root, std::string_view key) const;

  bool replaceValue(RecordFile& records, Location& location, std::string_view key, std::string_view value);
  std::optional<uint64_t> newKeyValue(RecordFile& records, std::string_view key, std::string_view value);
  bool insert(RecordFile& records, uint64_t root, std::string_view prefix, uint64_t value);
  bool insertNonFull(RecordFile& records, KeyValueNode node, std::string_view prefix, uint64_t value);
  // Moves the upper half of the full `child` (child `index` of `parent`) into
  // a new `sibling` and its middle key up into `parent`. `parent` is a new
  // root when `newRoot` is set; the header then moves to it.
  bool splitChild(RecordFile& records, KeyValueNode& parent, size_t index, KeyValueNode& child,
                  KeyValueNode& sibling, bool newRoot);
  // Visits the key or keys stored under slot `index` of `node`.
  bool visitSlot(const RecordFile& records, const KeyValueNode& node, size_t index, const Visitor& visit,
                 std::vector<std::string>* damage) const;
  // Upper bound on the nodes a walk or descent can meet, so a looping tree ends.
  uint64_t nodeLimit(const RecordFile& records) const;

  std::filesystem::path path_;
  uint64_t base_ = 0;
  bool readOnly_ = false;
  bool valid_ = false;
  bool compress_ = false;
  KeyValueNodeLayout layout_{kDefaultKeyLength, 2};
  std::mutex writerMutex_;
};

}  // namespace brambel
