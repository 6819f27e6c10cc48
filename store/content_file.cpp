#include "store/content_file.h"

#include <chrono>

#include "platform/file_lock.h"
#include "store/little_endian.h"

namespace brambel {

namespace {

// Writers of one content file are the save and index steps of the same
// library; a lock held longer than this means something is stuck.
constexpr std::chrono::milliseconds kWriterWait{30000};

}  // namespace

ContentFile::ContentFile(File file, bool writable) : file_(std::move(file)), writable_(writable) {
  if (file_.isOpen()) loadHeader();
}

ContentFile ContentFile::openForReading(const std::filesystem::path& path) {
  return ContentFile(File::open(path, File::Access::Read), false);
}

ContentFile ContentFile::openForWriting(const std::filesystem::path& path) {
  return ContentFile(openWriter(path, kWriterWait, File::Disposition::OpenAlways), true);
}

void ContentFile::loadHeader() {
  header_.fill(0);
  const int64_t got = file_.readAt(0, header_.data(), kHeaderSize);
  if (got == static_cast<int64_t>(kHeaderSize)) {
    usable_ = loadLe32(header_.data()) == 0;
    return;
  }
  if (got > 0) return;  // a header cut short: the file is damaged
  header_.fill(0);
  usable_ = writable_ ? writeHeader() : true;
}

uint32_t ContentFile::u32(Field field) const { return loadLe32(&header_[static_cast<size_t>(field)]); }
uint64_t ContentFile::offset(Field field) const { return loadLe64(&header_[static_cast<size_t>(field)]); }
void ContentFile::setU32(Field field, uint32_t value) { storeLe32(&header_[static_cast<size_t>(field)], value); }
void ContentFile::setOffset(Field field, uint64_t value) { storeLe64(&header_[static_cast<size_t>(field)], value); }

bool ContentFile::writeHeader() {
  return writable_ && file_.writeAt(0, header_.data(), kHeaderSize);
}

bool ContentFile::appendSection(Field offsetField, std::string_view bytes,
                                std::initializer_list<std::pair<Field, uint32_t>> sizeFields) {
  auto start = append(bytes);
  return start && publishSection(offsetField, *start, sizeFields);
}

bool ContentFile::publishSection(Field offsetField, uint64_t start,
                                 std::initializer_list<std::pair<Field, uint32_t>> sizeFields) {
  const auto saved = header_;
  setOffset(offsetField, start);
  for (const auto& [field, value] : sizeFields) setU32(field, value);
  if (writeHeader()) return true;
  header_ = saved;
  return false;
}

std::optional<uint64_t> ContentFile::append(std::string_view bytes) {
  if (!writable_ || !usable_) return std::nullopt;
  auto end = file_.size();
  if (!end || !file_.writeAt(*end, bytes.data(), bytes.size())) return std::nullopt;
  return *end;
}

bool ContentFile::writeAt(uint64_t position, std::string_view bytes) {
  return writable_ && usable_ && file_.writeAt(position, bytes.data(), bytes.size());
}

uint64_t ContentFile::size() const { return file_.size().value_or(0); }

std::optional<std::string> ContentFile::readAt(uint64_t position, uint64_t length) const {
  const uint64_t fileSize = size();
  if (position > fileSize || length > fileSize - position) return std::nullopt;
  std::string bytes(static_cast<size_t>(length), '\0');
  if (!file_.readExactlyAt(position, bytes.data(), bytes.size())) return std::nullopt;
  return bytes;
}

SectionReader::SectionReader(const ContentFile& file, uint64_t position)
    : file_(file), position_(position), fileSize_(file.size()) {}

std::optional<std::string> SectionReader::readBytes(uint64_t length) {
  if (failed_ || length > remaining()) {
    failed_ = true;
    return std::nullopt;
  }
  auto bytes = file_.readAt(position_, length);
  if (!bytes) {
    failed_ = true;
    return std::nullopt;
  }
  position_ += length;
  return bytes;
}

std::optional<uint32_t> SectionReader::readU32() {
  auto bytes = readBytes(4);
  if (!bytes) return std::nullopt;
  return loadLe32(bytes->data());
}

std::optional<uint64_t> SectionReader::readU64() {
  auto bytes = readBytes(8);
  if (!bytes) return std::nullopt;
  return loadLe64(bytes->data());
}

std::optional<std::u16string> SectionReader::readString() {
  auto length = readU32();
  if (!length) return std::nullopt;
  auto bytes = readBytes(uint64_t{*length} * 2);
  if (!bytes) return std::nullopt;
  return utf16FromLe(bytes->data(), *length);
}

std::optional<SectionReader> sectionReader(const ContentFile& file, ContentFile::Field offsetField) {
  if (!file.isUsable()) return std::nullopt;
  const uint64_t start = file.offset(offsetField);
  if (start == 0) return std::nullopt;
  return SectionReader(file, start);
}

void SectionWriter::writeU32(uint32_t value) { appendLe32(bytes_, value); }
void SectionWriter::writeU64(uint64_t value) { appendLe64(bytes_, value); }

void SectionWriter::writeString(std::u16string_view text) {
  text = text.substr(0, text.find(u'\0'));
  appendLe32(bytes_, static_cast<uint32_t>(text.size()));
  appendUtf16Le(bytes_, text);
}

}  // namespace brambel
