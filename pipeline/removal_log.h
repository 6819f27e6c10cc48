#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <vector>

namespace brambel {

class IndexFile;

// The contents of a removal file: record ids (u32 little-endian each),
// optionally followed by a 16-byte trailer left by an interrupted pass:
//   u32 0          marker (no record has id 0, so no entry looks like it)
//   u32 progress   entries already removed from the index
//   u64 stamp      the index's change stamp when the pass stopped
struct RemovalFileContents {
  static constexpr size_t kTrailerSize = 16;
  std::vector<uint32_t> ids;
  uint32_t progress = 0;
  uint64_t stamp = 0;
  bool hasTrailer = false;
};

// Reads a removal file's bytes; trailing bytes short of a whole entry are
// ignored, and a progress beyond the entries reads as all done.
RemovalFileContents parseRemovalFile(std::string_view bytes);
std::string encodeRemovalTrailer(uint32_t progress, uint64_t stamp);

// Records removed from the library leave the main index in the background.
// Each removed id is appended to "removalfile.dat"; once that holds more than
// 2400 bytes it is moved to "removalfile_process.dat" and a pass on a thread
// of its own (lowest priority) clears the ids' postings from the index. A
// pass that is stopped, or that finds the index changed meanwhile, leaves its
// progress in the file's trailer so that the next pass resumes.
class RemovalLog {
 public:
  static constexpr char kFileName[] = "removalfile.dat";
  static constexpr char kProcessFileName[] = "removalfile_process.dat";
  static constexpr uint64_t kPassThreshold = 2400;
  static constexpr size_t kIdsPerStep = 256;

  struct Hooks {
    std::function<void(const std::u16string&)> message;  // user-visible errors
    // The index's change stamp: moves whenever anything else writes the index.
    std::function<uint64_t()> changeStamp;
  };

  RemovalLog(std::filesystem::path directory, IndexFile* index, Hooks hooks);
  // Stops a running pass (leaving its progress) and waits for it.
  ~RemovalLog();

  // Appends one removed record id; may start a pass.
  bool append(uint32_t recordId);
  // Starts a pass on a left-over process file, or on the log whatever its size.
  void startPass(bool evenIfSmall);
  // Asks a running pass to stop and waits for it.
  void stop();
  void waitForPass();
  bool isPassRunning() const { return passRunning_.load(); }

  // Ids removed from the library whose postings may still be in the index
  // (queries skip them; the optimiser drops them).
  std::unordered_set<uint32_t> pending() const;

 private:
  bool moveForPass();
  void launchPass();
  void runPass();
  void report(const std::u16string& text);

  std::filesystem::path directory_;
  IndexFile* index_;
  Hooks hooks_;
  mutable std::mutex mutex_;  // the log file, the pending set and the pass thread
  std::unordered_set<uint32_t> pending_;
  std::thread pass_;
  std::atomic<bool> passRunning_{false};
  std::atomic<bool> stopping_{false};
};

}  // namespace brambel
