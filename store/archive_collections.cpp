#include "store/archive_collections.h"

namespace brambel {

namespace {

// The smallest string in an archive is one length byte.
constexpr size_t kSmallestString = 1;
constexpr uint32_t kSavedTermsVersion = 1;
constexpr uint32_t kFirstUnreadableSavedTermsVersion = 2;

}  // namespace

void writeStringList(ArchiveWriter& writer, const std::vector<std::u16string>& list) {
  writer.writeCount(list.size());
  for (const auto& text : list) writer.writeString(text);
}

std::optional<std::vector<std::u16string>> readStringList(ArchiveReader& reader) {
  auto count = reader.readCount(kSmallestString);
  if (!count) return std::nullopt;
  std::vector<std::u16string> list;
  list.reserve(static_cast<size_t>(*count));
  for (uint64_t i = 0; i < *count; ++i) {
    auto text = reader.readString();
    if (!text) return std::nullopt;
    list.push_back(std::move(*text));
  }
  return list;
}

void writeStringMap(ArchiveWriter& writer, const std::map<std::u16string, std::u16string>& map) {
  writer.writeCount(map.size());
  for (const auto& [key, value] : map) {
    writer.writeString(key);
    writer.writeString(value);
  }
}

std::optional<std::map<std::u16string, std::u16string>> readStringMap(ArchiveReader& reader) {
  auto count = reader.readCount(2 * kSmallestString);
  if (!count) return std::nullopt;
  std::map<std::u16string, std::u16string> map;
  for (uint64_t i = 0; i < *count; ++i) {
    auto key = reader.readString();
    auto value = reader.readString();
    if (!key || !value) return std::nullopt;
    map[std::move(*key)] = std::move(*value);
  }
  return map;
}

std::optional<std::vector<std::u16string>> readSavedTermsArchive(std::string_view bytes) {
  ArchiveReader reader(bytes);
  auto version = reader.readU32();
  if (!version || *version >= kFirstUnreadableSavedTermsVersion) return std::nullopt;
  return readStringList(reader);
}

std::string writeSavedTermsArchive(const std::vector<std::u16string>& terms) {
  ArchiveWriter writer;
  writer.writeU32(kSavedTermsVersion);
  writeStringList(writer, terms);
  return writer.bytes();
}

}  // namespace brambel
