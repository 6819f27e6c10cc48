#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace brambel {

// Which library documents came from which search source.
//
// On disk, in the library's directory "srcIndex":
//   index.dat        archive form (archive_collections.h) of a string map from
//                    source key to the name of that source's id file
//   src_<tick>.dat   one per source: a bare array of u32 document ids,
//                    little-endian, no header; <tick> is the decimal
//                    millisecond tick count when the file was made
//
// Every file is replaced whole through a temporary file and a rename, so a
// crash leaves the previous version, never half of one. All operations lock
// the index's mutex, so the indexing and search threads may share it.
class SourceIndex {
 public:
  static constexpr char kDirectoryName[] = "srcIndex";
  static constexpr char kMapFileName[] = "index.dat";

  explicit SourceIndex(std::filesystem::path libraryDirectory);

  // Forgets what is in memory, then reads index.dat and every id file it
  // names. False when index.dat is missing or unreadable (the library then
  // offers to rebuild the index). A named id file that is missing reads as
  // empty; an entry whose file name is not an id file name of this directory
  // keeps its ids in memory only until saved under a new name.
  bool load();

  // Adds a document to a source's set (creating the set); true when it was new.
  bool add(const std::u16string& sourceKey, uint32_t documentId);
  bool contains(const std::u16string& sourceKey, uint32_t documentId) const;
  std::vector<uint32_t> documentsOf(const std::u16string& sourceKey) const;
  std::vector<std::u16string> sourceKeys() const;

  // Writes one source's id file (making its name first when it has none)
  // and index.dat when the name is new. False when a file cannot be written;
  // nothing is changed on disk then.
  bool saveSource(const std::u16string& sourceKey);
  // Writes every source changed since it was loaded or saved, and index.dat
  // (creating the directory).
  bool save();

  std::filesystem::path directory() const { return directory_; }

 private:
  struct Source {
    std::u16string fileName;
    std::unordered_set<uint32_t> ids;
    bool changed = false;
  };

  bool saveSourceLocked(Source& source, bool& mapChanged);
  bool saveMapLocked();
  std::u16string newIdFileName();

  std::filesystem::path directory_;
  std::map<std::u16string, Source> sources_;
  mutable std::mutex mutex_;
};

}  // namespace brambel
