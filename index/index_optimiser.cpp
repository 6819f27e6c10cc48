#include "index/index_optimiser.h"

#include <optional>
#include <system_error>

#include "platform/file.h"
#include "platform/volume.h"
#include "store/index_session.h"

namespace brambel {

namespace {

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
    if (postings.empty()) return true;
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

// Builds the compact copy at `copyPath`; true when it is complete and durable.
bool buildCopy(const std::filesystem::path& path, const std::filesystem::path& copyPath,
               const IndexFileOptions& options, const DocumentIdSet& removed,
               const std::function<void(int)>& progress, OptimiseResult& result) {
  IndexFileOptions sourceOptions = options;
  sourceOptions.readOnly = true;
  IndexFile source(path, 0, sourceOptions);
  IndexFileOptions targetOptions = options;
  targetOptions.readOnly = false;
  targetOptions.open = true;
  auto target = std::make_unique<IndexFile>(copyPath, 0, targetOptions);
  if (!source.isValid() || !target->isValid()) return false;
  {
    std::optional<IndexSession> reader = source.beginRead();
    std::optional<IndexSession> writer = target->beginWrite();
    if (!reader || !writer) return false;
    if (!SectionCopy(*reader, *writer, removed, result).run(progress)) return false;
  }
  target.reset();  // writes back every cached block
  return syncFile(copyPath) && IndexFile(copyPath, 0, sourceOptions).isValid();
}

}  // namespace

OptimiseResult Optimise(const std::filesystem::path& path, const IndexFileOptions& options,
                        const DocumentIdSet& removed, const std::function<void(int)>& progress) {
  OptimiseResult result;
  const std::filesystem::path copyPath = withSuffix(path, ".tmp");
  const std::filesystem::path backupPath = withSuffix(path, ".bak");
  std::error_code error;
  std::filesystem::remove(copyPath, error);

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
  if (progress) progress(0);

  if (!buildCopy(path, copyPath, options, removed, progress, result)) {
    std::filesystem::remove(copyPath, error);
    result.status = OptimiseStatus::Failed;
    return result;
  }
  std::filesystem::remove(backupPath, error);
  std::filesystem::rename(path, backupPath, error);
  if (error) {
    std::filesystem::remove(copyPath, error);
    result.status = OptimiseStatus::Failed;
    return result;
  }
  std::filesystem::rename(copyPath, path, error);
  if (error || !syncParentDirectory(path) || !IndexFile(path, 0, readOptions).isValid()) {
    // Put the original back: the copy could not take its place.
    std::error_code ignored;
    std::filesystem::rename(backupPath, path, ignored);
    syncParentDirectory(path);
    result.status = OptimiseStatus::Failed;
    return result;
  }
  std::filesystem::remove(backupPath, error);
  if (progress) progress(100);
  result.status = OptimiseStatus::Done;
  return result;
}

}  // namespace brambel
