#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace brambel {

// What a structural check of a whole section found.
struct IndexCheckReport {
  bool valid = false;  // the header was readable and valid
  uint64_t nodes = 0;
  uint64_t keys = 0;
  uint64_t terms = 0;
  uint64_t termRecords = 0;
  uint64_t idBlocks = 0;
  uint64_t postings = 0;
  uint32_t depth = 0;
  // Damage that a reader could trip on (bad order, out-of-file addresses,
  // impossible counts, broken chains); empty for a sound section.
  std::vector<std::string> damage;
  // Harmless leftovers of an interrupted update (keys of a child left at or
  // beyond its parent's separator by a split cut short).
  std::vector<std::string> notes;

  bool sound() const { return valid && damage.empty(); }
};

// Walks the whole section at `base` of `path` read-only: key order inside
// and across nodes, key and child counts, every address inside the file,
// term chains, id-block chains and their capacities. `cached` names the I/O
// kind that wrote the section. At most `maxMessages` damage lines are kept.
IndexCheckReport checkIndexFile(const std::filesystem::path& path, uint64_t base, bool cached,
                                size_t maxMessages = 100);

}  // namespace brambel
