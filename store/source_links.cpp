#include "store/source_links.h"

namespace brambel {

namespace {

// Two empty strings: the smallest pair a count can promise.
constexpr uint64_t kSmallestPair = 8;

}  // namespace

bool SourceLinks::ReadFrom(const ContentFile& file) {
  auto reader = sectionReader(file, ContentFile::Field::LinksOffset);
  if (!reader) return false;
  auto count = reader->readU32();
  if (!count || *count > reader->remaining() / kSmallestPair) return false;
  std::map<std::u16string, std::u16string> loaded;
  for (uint32_t i = 0; i < *count; ++i) {
    auto key = reader->readString();
    auto value = reader->readString();
    if (!key || !value) return false;
    loaded[std::move(*key)] = std::move(*value);
  }
  links = std::move(loaded);
  return true;
}

bool SourceLinks::WriteTo(ContentFile& file) {
  SectionWriter writer;
  writer.writeU32(static_cast<uint32_t>(links.size()));
  for (const auto& [key, value] : links) {
    writer.writeString(key);
    writer.writeString(value);
  }
  return file.appendSection(ContentFile::Field::LinksOffset, writer.bytes());
}

}  // namespace brambel
