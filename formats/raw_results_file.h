#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "search/raw_result_sink.h"
#include "store/source_result.h"

namespace brambel {

class SourceTable;

inline constexpr char kRawResultsFileName[] = "raw_results.zset";
inline constexpr char kOlderRawResultsFileName[] = "raw_results.txt";

// The library's record of the last batch search: every result appended to
// "raw_results.zset" as it arrives, in the result set format. Appends from
// several source threads (and processes) take the file's writer lock in
// turn, retrying every millisecond while another holds it.
class RawResultsFile : public RawResultSink {
 public:
  RawResultsFile(std::filesystem::path libraryDirectory, const SourceTable& table);

  // Deletes the file: a new batch starts.
  void Clear() override;
  // Appends the result's record with its own position; a file that cannot be
  // opened (other than being busy) loses this one record.
  void Append(const SourceResult& result) override;
  bool AppendRawResult(const SourceResult& result);

 private:
  std::filesystem::path path_;
  const SourceTable& table_;
};

// Whether the library holds the results of a batch ("raw_results.zset", or
// the older "raw_results.txt"); `lastWrite` receives the file's last change,
// seconds since 1970.
bool HasRawResults(const std::filesystem::path& libraryDirectory, uint32_t* lastWrite = nullptr);

// The last batch's results: "raw_results.zset", else "raw_results.txt";
// nothing when neither can be read.
std::optional<std::vector<SourceResult>> RestoreRawResults(const std::filesystem::path& libraryDirectory,
                                                           const SourceTable& table);

}  // namespace brambel
