#include "formats/raw_results_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include "formats/result_set_file.h"
#include "platform/file_lock.h"

namespace brambel {

RawResultsFile::RawResultsFile(std::filesystem::path libraryDirectory, const SourceTable& table)
    : path_(std::move(libraryDirectory) / kRawResultsFileName), table_(table) {}

void RawResultsFile::Clear() {
  std::error_code error;
  std::filesystem::remove(path_, error);
}

void RawResultsFile::Append(const SourceResult& result) { AppendRawResult(result); }

bool RawResultsFile::AppendRawResult(const SourceResult& result) {
  File file = openWriter(path_, std::nullopt, File::Disposition::OpenAlways);
  if (!file.isOpen()) return false;
  std::optional<uint64_t> end = file.size();
  std::string record = WriteResultRecord(result, result.position, table_);
  return end && file.writeAt(*end, record.data(), record.size());
}

bool HasRawResults(const std::filesystem::path& libraryDirectory, uint32_t* lastWrite) {
  for (const char* name : {kRawResultsFileName, kOlderRawResultsFileName}) {
    struct stat status {};
    std::filesystem::path path = libraryDirectory / name;
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || ::access(path.c_str(), R_OK) != 0) continue;
    if (lastWrite) *lastWrite = static_cast<uint32_t>(status.st_mtime);
    return true;
  }
  return false;
}

std::optional<std::vector<SourceResult>> RestoreRawResults(const std::filesystem::path& libraryDirectory,
                                                           const SourceTable& table) {
  if (auto results = ReadResultSet(libraryDirectory / kRawResultsFileName, table)) return results;
  return ReadResultSet(libraryDirectory / kOlderRawResultsFileName, table);
}

}  // namespace brambel
