#include "index/index_optimiser.h"

#include <chrono>
#include <string>
#include <optional>
#include <system_error>

#include "platform/file.h"
#include "platform/file_lock.h"
#include "platform/volume.h"
#include "store/index_session.h"

namespace brambel {

namespace {

constexpr const char* kCopySuffix = ".tmp";
constexpr const char* kBackupSuffix = ".bak";

constexpr const char* kIndexMissingMessage =
    "Cannot Optimize the database. The Index appears non-existant or inaccessible.";
constexpr const char* kNoSpaceMessage = "Cannot Optimize the database. %ldMB more free space is required on the disk.";
constexpr const char* kProceedQuestion = "Optimizing can take up to several minutes to complete. Proceed?";
constexpr const char* kProgressTitle = "Optimizing the Library";
constexpr const char* kProgressText = "This may take several minutes to complete.";

std::filesystem::path withSuffix(const std::filesystem::path& path, const char* suffix) {
  std::filesystem::path result = path;
  result += suffix;
  return result;
}

bool syncFile(const std::filesystem::path& path) {
  File file = File::open(path, File::Access::Read);
  return file.isOpen() && file.sync();
}

// Copies every term with its surviving postings from `source` into the
// empty `target`, in key order.
class SectionCopy {
 public:
  SectionCopy(IndexSession& source, IndexSession& target, const DocumentIdSet& removed,
              OptimiseResult& result)
      : source_(source), target_(target), removed_(removed), result_(result),
        prefixLength_(target.index().prefixLength()) {}

  bool run(const std::function<void(int)>& progress) {
    uint64_t total = 0;
    source_.forEachTerm(u"", [&](const std::u16string&, const TermRecord&) { return ++total, true; });
    uint64_t seen = 0;
    int reported = -1;
    source_.forEachTerm(u"", [&](const std::u16string& term, const TermRecord& record) {
      if (!copy(term, record)) return false;
      const int percent = static_cast<int>(++seen * 100 / std::max<uint64_t>(total, 1));
      if (progress && percent != reported) progress(reported = percent);
      return true;
    });
    return ok_;
  }

 private:
  bool copy(const std::u16string& term, const TermRecord& record) {
    std::vector<Posting> postings = source_.postingsOf(record);
    const size_t before = postings.size();
    std::erase_if(postings, [&](const Posting& p) { return p.id == 0 || removed_.count(p.id) != 0; });
    result_.postingsDropped += before - postings.size();
    // A term whose postings all went stays findable, with an empty list.
    result_.postingsCopied += postings.size();
    ++result_.termsCopied;

    if (term.size() < prefixLength_) {
      ok_ = target_.insertTerm(term, postings, SplitMode::Append);
      return ok_;
    }
    // Long terms sharing a key arrive one after another: the first one
    // inserts the key, the others join its chain.
    const std::u16string_view key = keyOf(term, prefixLength_);
    if (chainKey_ == key && chainEnd_) {
      chainEnd_ = target_.appendToChain(*chainEnd_, term, postings);
    } else {
      chainKey_ = key;
      chainEnd_.reset();
      if (target_.insertTerm(term, postings, SplitMode::Append)) chainEnd_ = target_.termRecordFor(key);
    }
    ok_ = chainEnd_.has_value();
    return ok_;
  }

  IndexSession& source_;
  IndexSession& target_;
  const DocumentIdSet& removed_;
  OptimiseResult& result_;
  uint32_t prefixLength_;
  std::u16string chainKey_;
  std::optional<TermRecord> chainEnd_;
  bool ok_ = true;
};

// Builds the compact copy of the section `source` is writing (so nobody else
// writes it meanwhile) at `copyPath`; true when it is complete and durable.
bool buildCopy(IndexSession& source, const std::filesystem::path& copyPath, const IndexFileOptions& options,
               const DocumentIdSet& removed, const std::function<void(int)>& progress, OptimiseResult& result) {
  IndexFileOptions targetOptions = options;
  targetOptions.readOnly = false;
  targetOptions.open = true;
  {
    IndexFile target(copyPath, 0, targetOptions);
    if (!target.isValid()) return false;
    std::optional<IndexSession> writer = target.beginWrite();
    if (!writer || !SectionCopy(source, *writer, removed, result).run(progress) || !writer->finish()) return false;
  }
  IndexFileOptions readOptions = options;
  readOptions.readOnly = true;
  return syncFile(copyPath) && IndexFile(copyPath, 0, readOptions).isValid();
}

// Whether the index can be optimised: it exists and is valid, and the volume
// has room for a copy of it.
OptimiseResult checkOptimisable(const std::filesystem::path& path, const IndexFileOptions& options) {
  OptimiseResult result;
  std::optional<uint64_t> size;
  {
    File file = File::open(path, File::Access::Read);
    if (file.isOpen()) size = file.size();
  }
  IndexFileOptions readOptions = options;
  readOptions.readOnly = true;
  if (!size || !IndexFile(path, 0, readOptions).isValid()) {
    result.status = OptimiseStatus::Missing;
    return result;
  }
  std::optional<uint64_t> free = freeSpaceFor(path.parent_path().empty() ? "." : path.parent_path());
  if (free && *free < *size) {
    result.status = OptimiseStatus::NoSpace;
    result.shortfallBytes = *size - *free;
    return result;
  }
  result.status = OptimiseStatus::Done;
  return result;
}

// Renames the durable copy over the index in one step, keeping the original
// under `backupPath` until the copy reopens as a valid index.
bool swapIn(const std::filesystem::path& path, const std::filesystem::path& copyPath,
            const std::filesystem::path& backupPath, const IndexFileOptions& options) {
  std::error_code error;
  std::filesystem::remove(backupPath, error);
  std::filesystem::create_hard_link(path, backupPath, error);
  if (error || !syncParentDirectory(path)) return false;
  std::filesystem::rename(copyPath, path, error);
  if (error || !syncParentDirectory(path)) {
    std::filesystem::remove(backupPath, error);
    return false;
  }
  IndexFileOptions readOptions = options;
  readOptions.readOnly = true;
  if (!IndexFile(path, 0, readOptions).isValid()) {
    // Put the original back: the copy could not take its place.
    std::filesystem::rename(backupPath, path, error);
    syncParentDirectory(path);
    return false;
  }
  std::filesystem::remove(backupPath, error);
  syncParentDirectory(path);
  return true;
}

}  // namespace

void RecoverInterruptedOptimise(const std::filesystem::path& path) {
  const std::filesystem::path copyPath = withSuffix(path, kCopySuffix);
  const std::filesystem::path backupPath = withSuffix(path, kBackupSuffix);
  std::error_code error;
  if (!std::filesystem::exists(path, error) && std::filesystem::exists(backupPath, error)) {
    // Renamed away and never replaced (swaps of older versions took two steps).
    std::filesystem::rename(backupPath, path, error);
    syncParentDirectory(path);
  }
  // A running optimise holds the writer lock until its swap is done.
  File writer = openWriter(path, std::chrono::milliseconds(0));
  if (!writer.isOpen()) return;
  std::filesystem::remove(backupPath, error);
  std::filesystem::remove(copyPath, error);
}

OptimiseResult Optimise(const std::filesystem::path& path, const IndexFileOptions& options,
                        const DocumentIdSet& removed, const std::function<void(int)>& progress) {
  RecoverInterruptedOptimise(path);
  OptimiseResult result = checkOptimisable(path, options);
  if (result.status != OptimiseStatus::Done) return result;
  result.status = OptimiseStatus::Failed;
  if (progress) progress(0);

  IndexFileOptions sourceOptions = options;
  sourceOptions.readOnly = false;
  IndexFile source(path, 0, sourceOptions);
  // Held until the swap is done: writers wait, then go on in the copy.
  std::optional<IndexSession> lock = source.beginWrite();
  if (!lock) return result;
  const std::filesystem::path copyPath = withSuffix(path, kCopySuffix);
  std::error_code error;
  std::filesystem::remove(copyPath, error);
  if (!buildCopy(*lock, copyPath, options, removed, progress, result) ||
      !swapIn(path, copyPath, withSuffix(path, kBackupSuffix), options)) {
    std::filesystem::remove(copyPath, error);
    return result;
  }
  if (progress) progress(100);
  result.status = OptimiseStatus::Done;
  return result;
}

std::optional<OptimiseResult> OptimiseWithPrompts(const std::filesystem::path& path, const IndexFileOptions& options,
                                   const DocumentIdSet& removed, MaintenancePrompter& prompter) {
  OptimiseResult result = checkOptimisable(path, options);
  if (result.status == OptimiseStatus::Missing) {
    prompter.inform(kIndexMissingMessage);
    return result;
  }
  if (result.status == OptimiseStatus::NoSpace) {
    std::string message = kNoSpaceMessage;
    message.replace(message.find("%ld"), 3, std::to_string(result.shortfallBytes / 1048576));
    prompter.inform(message);
    return result;
  }
  if (!prompter.confirm(kProceedQuestion)) return std::nullopt;
  prompter.beginProgress(kProgressTitle, kProgressText);
  result = Optimise(path, options, removed, [&](int percent) { prompter.progress(percent); });
  prompter.endProgress();
  return result;
}

}  // namespace brambel
