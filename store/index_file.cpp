#include "store/index_file.h"

#include <algorithm>
#include <thread>

#include "platform/file_lock.h"
#include "platform/volume.h"
#include "store/cached_file_io.h"
#include "store/direct_file_io.h"
#include "store/index_session.h"
#include "store/little_endian.h"
#include "store/term_section_builder.h"

namespace brambel {
namespace {

// Cluster sizes a section may claim; anything else is a damaged header.
constexpr uint32_t kLargestClusterSize = 1 << 20;

uint32_t prefixOrDefault(int prefixLength) {
  return prefixLength < 1 ? NodeGeometry::kDefaultPrefixLength : static_cast<uint32_t>(prefixLength);
}

}  // namespace

IndexHeader IndexHeader::describing(NodeGeometry geometry, uint32_t clusterSize, uint32_t sectorSize, bool weighted,
                                    bool compressed, RecordAddress root) {
  IndexHeader header;
  header.root = root;
  header.minDegree = geometry.minDegree;
  header.prefixLength = geometry.prefixLength;
  header.clusterSize = clusterSize;
  header.sectorSize = sectorSize;
  header.weighted = weighted;
  header.compressed = compressed;
  return header;
}

std::array<uint8_t, IndexHeader::kSize> IndexHeader::encode() const {
  std::array<uint8_t, kSize> bytes{};
  storeLe32(bytes.data(), version);
  storeLe32(bytes.data() + 4, changeCount);
  storeLe64(bytes.data() + 8, root.value);
  storeLe32(bytes.data() + 16, minDegree);
  storeLe32(bytes.data() + 20, prefixLength);
  storeLe32(bytes.data() + 24, clusterSize);
  storeLe32(bytes.data() + 28, sectorSize);
  bytes[32] = weighted ? 1 : 0;
  bytes[33] = compressed ? 1 : 0;
  return bytes;
}

IndexHeader IndexHeader::decode(const uint8_t* bytes) {
  IndexHeader header;
  header.version = loadLe32(bytes);
  header.changeCount = loadLe32(bytes + 4);
  header.root = RecordAddress{loadLe64(bytes + 8)};
  header.minDegree = loadLe32(bytes + 16);
  header.prefixLength = loadLe32(bytes + 20);
  header.clusterSize = loadLe32(bytes + 24);
  header.sectorSize = loadLe32(bytes + 28);
  header.weighted = bytes[32] != 0;
  header.compressed = bytes[33] != 0;
  return header;
}

uint64_t defaultCacheSize(std::optional<uint64_t> fileSize) {
  if (!fileSize) return 1048576;
  uint64_t kilobytes = *fileSize / 1024;
  if (kilobytes < 60000) return 4194304;
  if (kilobytes < 150000) return 8388608;
  if (kilobytes < 250000) return 12582912;
  return 16777216;
}

SectionVersion sectionVersion(const File& handle, const IndexHeader& header) {
  return SectionVersion{handle.identity().value_or(File::Identity{}), header.changeCount, handle.size().value_or(0)};
}

IndexFile::IndexFile(std::filesystem::path path, uint64_t base, const IndexFileOptions& options)
    : path_(std::move(path)),
      base_(base),
      readOnly_(options.readOnly),
      weighted_(options.weighted),
      cached_(options.cached),
      syncOnClose_(options.syncOnClose),
      io_(std::make_unique<DirectFileIo>()) {
  if (auto volume = queryVolumeGeometry(path_)) {
    clusterSize_ = volume->clusterSize;
    sectorSize_ = volume->sectorSize;
  }
  if (!readOnly_) writerMutex_ = std::make_unique<std::mutex>();
  if (!options.open) return;

  // A writable section creates its file when missing; a read-only one never
  // creates anything.
  File handle = readOnly_ ? File::open(path_, File::Access::Read)
                          : openWriter(path_, kOpenWriterLimit, File::Disposition::OpenAlways);
  if (!handle.isOpen()) return;
  const uint64_t cacheSize = options.cacheSize != 0 ? options.cacheSize : defaultCacheSize(handle.size());

  if (!readHeader(handle)) {
    // Nothing at the base yet, or a header whose creation was cut short
    // (all zero): a writer creates the section; anything else stays invalid.
    auto size = handle.size();
    uint8_t bytes[IndexHeader::kSize] = {};
    bool blank = size && (*size <= base_ || (io_->readRaw(handle, base_, bytes, sizeof bytes) &&
                                             std::all_of(bytes, bytes + sizeof bytes, [](uint8_t b) { return b == 0; })));
    if (readOnly_ || !blank) return;
    uint32_t prefixLength = prefixOrDefault(options.prefixLength);
    uint32_t minDegree = options.minDegree < 1 ? NodeGeometry::defaultMinDegree(clusterSize_, prefixLength)
                                               : static_cast<uint32_t>(options.minDegree);
    geometry_ = NodeGeometry{minDegree, prefixLength};
    if (!geometry_.isPlausible() || (cached_ && geometry_.nodeSize() > clusterSize_)) return;
    if (cached_) io_ = std::make_unique<CachedFileIo>(path_, base_, clusterSize_, sectorSize_, geometry_);
    io_->setCacheSize(cacheSize);
    io_->attach(handle, true, sectionVersion(handle, header()));
    bool created = createSection(handle);
    io_->release(handle, true, sectionVersion(handle, header()));
    // A new section is durable, name and all, before anyone relies on it.
    if (!created || !handle.sync() || !syncParentDirectory(path_)) setRoot(RecordAddress::none());
  } else if (cached_) {
    io_ = std::make_unique<CachedFileIo>(path_, base_, clusterSize_, sectorSize_, geometry_);
    io_->setCacheSize(cacheSize);
    // What the read-ahead loads belongs to the section as read here.
    if (auto header = readSessionHeader(handle)) {
      io_->attach(handle, false, sectionVersion(handle, *header));
      io_->release(handle, false, sectionVersion(handle, *header));
    }
  }
  handle.close();

  if (isValid()) {
    File readAhead = File::open(path_, File::Access::Read);
    if (readAhead.isOpen()) io_->startReadAhead(std::move(readAhead), root());
  }
}

IndexFile::~IndexFile() {
  if (isValid() && !readOnly_ && syncOnClose_) {
    // Sessions leave nothing unwritten unless writing failed; what is on
    // disk is made durable.
    if (auto session = beginWrite()) session->handle().sync();
  }
  io_.reset();
}

std::optional<uint64_t> IndexFile::createSectionAtEnd(const File& file, int prefixLength, int minDegree,
                                                      bool weighted, bool compressed) {
  auto end = file.size();
  if (!end) return std::nullopt;
  const uint32_t prefix = prefixOrDefault(prefixLength);
  const uint32_t degree = minDegree < 1 ? NodeGeometry::defaultMinDegree(TermSectionBuilder::kClusterSize, prefix)
                                        : static_cast<uint32_t>(minDegree);
  const NodeGeometry geometry{degree, prefix};
  if (!geometry.isPlausible()) return std::nullopt;
  const uint64_t base = TermSectionBuilder::sectionBaseAt(*end);
  const std::string bytes = TermSectionBuilder(base, geometry, weighted, compressed).finish();
  if (!file.writeAt(base, bytes.data(), bytes.size())) return std::nullopt;
  return base;
}

bool IndexFile::readHeader(const File& handle) {
  auto size = handle.size();
  if (!size || *size <= base_) return false;
  uint8_t bytes[IndexHeader::kSize];
  if (!io_->readRaw(handle, base_, bytes, sizeof bytes)) return false;
  IndexHeader header = IndexHeader::decode(bytes);
  NodeGeometry geometry{header.minDegree, header.prefixLength};
  // Beyond the version and non-zero p and Z, the degree and sizes must make
  // nodes that fit in memory (and, cached, in one block), so that no later
  // read sizes a buffer from damaged fields.
  if (header.version != 0 || header.prefixLength == 0 || header.prefixLength >= *size || header.clusterSize == 0 ||
      header.clusterSize > kLargestClusterSize || header.sectorSize == 0 || !geometry.isPlausible()) {
    return false;
  }
  if (cached_ && (header.clusterSize >= *size || geometry.nodeSize() > header.clusterSize)) return false;
  geometry_ = geometry;
  clusterSize_ = header.clusterSize;
  sectorSize_ = header.sectorSize;
  weighted_ = header.weighted;
  compressed_ = header.compressed;
  if (!cached_) io_ = std::make_unique<DirectFileIo>(compressed_);
  setRoot(header.root);
  return true;
}

bool IndexFile::createSection(const File& handle) {
  IndexHeader blank;
  blank.root = RecordAddress{0};
  auto bytes = blank.encode();
  if (!io_->writeRaw(handle, base_, bytes.data(), bytes.size())) return false;
  IndexNode root(geometry_);
  if (io_->writeNode(handle, root).isNone()) return false;
  setRoot(root.address);
  return writeHeader(handle, header());
}

std::optional<IndexHeader> IndexFile::readSessionHeader(const File& handle) {
  uint8_t bytes[IndexHeader::kSize];
  if (!handle.readExactlyAt(base_, bytes, sizeof bytes)) return std::nullopt;
  IndexHeader found = IndexHeader::decode(bytes);
  IndexHeader opened = header();
  // Another file may have been renamed over the name (an optimise); it is
  // followed only while it has the shape this object was opened with.
  if (found.version != 0 || found.root.isNone() || found.minDegree != opened.minDegree ||
      found.prefixLength != opened.prefixLength || found.clusterSize != opened.clusterSize ||
      found.sectorSize != opened.sectorSize || found.weighted != opened.weighted ||
      found.compressed != opened.compressed) {
    return std::nullopt;
  }
  return found;
}

IndexHeader IndexFile::header() const {
  return IndexHeader::describing(geometry_, clusterSize_, sectorSize_, weighted_, compressed_, root());
}

bool IndexFile::writeHeader(const File& handle, const IndexHeader& header) {
  auto bytes = header.encode();
  return io_->writeRaw(handle, base_, bytes.data(), bytes.size());
}

RecordAddress IndexFile::root() const {
  std::lock_guard lock(rootMutex_);
  return root_;
}

void IndexFile::setRoot(RecordAddress root) {
  std::lock_guard lock(rootMutex_);
  root_ = root;
}

File IndexFile::acquireWriter(std::optional<std::chrono::milliseconds> limit) {
  if (!writerMutex_) return File();
  const auto start = std::chrono::steady_clock::now();
  // Threads of this object queue here before they try the file lock; like
  // the file lock, a limited wait polls every millisecond.
  std::unique_lock lock(*writerMutex_, std::defer_lock);
  if (!limit) {
    lock.lock();
  } else {
    while (!lock.try_lock()) {
      if (std::chrono::steady_clock::now() - start >= *limit) return File();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  std::optional<std::chrono::milliseconds> remaining;
  if (limit) {
    auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    remaining = std::max(std::chrono::milliseconds(0), *limit - spent);
  }
  return openWriter(path_, remaining);
}

bool IndexFile::isEmpty() {
  auto session = beginRead();
  if (!session) return true;
  auto node = session->readNode(session->root());
  return !node || node->keyCount == 0;
}

std::optional<TermRecord> IndexFile::termRecordFor(std::u16string_view key) {
  auto session = beginRead();
  if (!session) return std::nullopt;
  return session->termRecordFor(key);
}

std::optional<IndexSession> IndexFile::beginRead() {
  if (!isValid()) return std::nullopt;
  return beginSession(File::open(path_, File::Access::Read), false);
}

std::optional<IndexSession> IndexFile::beginWrite(std::optional<std::chrono::milliseconds> limit) {
  if (!isValid() || readOnly_) return std::nullopt;
  return beginSession(acquireWriter(limit), true);
}

std::optional<IndexSession> IndexFile::beginSession(File handle, bool writer) {
  if (!handle.isOpen()) return std::nullopt;
  auto found = readSessionHeader(handle);
  if (!found) return std::nullopt;
  // Under the writer lock the header is the latest; a reader's copy only
  // serves its own session.
  if (writer) setRoot(found->root);
  return IndexSession(*this, std::move(handle), writer, *found);
}

bool IndexFile::flushSome() {
  if (!isValid() || readOnly_) return false;
  auto session = beginWrite(kFlushWriterLimit);
  // A writer's session leaves nothing behind unless writing failed.
  return !session || !session->finish();
}

ChainTails IndexFile::borrowChainTails(const SectionVersion& version) {
  std::lock_guard lock(chainTailsMutex_);
  ChainTails tails = std::move(chainTails_);
  chainTails_.clear();
  if (chainTailsVersion_ != version) tails.clear();
  return tails;
}

void IndexFile::returnChainTails(ChainTails tails, std::optional<SectionVersion> version) {
  std::lock_guard lock(chainTailsMutex_);
  chainTailsVersion_ = version;
  if (chainTailsVersion_) chainTails_ = std::move(tails);
}

}  // namespace brambel
