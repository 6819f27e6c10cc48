#include "store/source_list.h"

#include <algorithm>

namespace brambel {

namespace {

// An empty string: the smallest entry a count can promise.
constexpr uint64_t kSmallestEntry = 4;

}  // namespace

bool SourceList::ReadFrom(const ContentFile& file) {
  auto reader = sectionReader(file, ContentFile::Field::SourceListOffset);
  if (!reader) return false;
  auto count = reader->readU32();
  if (!count || *count > reader->remaining() / kSmallestEntry) return false;
  std::vector<std::u16string> loaded;
  loaded.reserve(*count);
  for (uint32_t i = 0; i < *count; ++i) {
    auto id = reader->readString();
    if (!id) return false;
    loaded.push_back(std::move(*id));
  }
  ids = std::move(loaded);
  return true;
}

bool SourceList::WriteTo(ContentFile& file) {
  SectionWriter writer;
  writer.writeU32(static_cast<uint32_t>(ids.size()));
  for (const std::u16string& id : ids) writer.writeString(id);
  return file.appendSection(ContentFile::Field::SourceListOffset, writer.bytes());
}

void SourceList::merge(const std::vector<std::u16string>& more) {
  for (const std::u16string& id : more)
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
}

}  // namespace brambel
