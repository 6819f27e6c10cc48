#include "store/source_result_archive.h"

namespace brambel {

namespace {

constexpr char16_t kBlank[] = u"<blank>";

}  // namespace

void writeSourceResultArchive(ArchiveWriter& writer, const SourceResult& result) {
  writer.writeString(result.description);
  writer.writeU32(static_cast<uint32_t>(result.position));
  writer.writeString(result.text2);
  writer.writeString(result.title);
  writer.writeString(result.url);
}

std::optional<SourceResult> readSourceResultArchive(ArchiveReader& reader) {
  auto description = reader.readString();
  auto position = reader.readU32();
  auto text2 = reader.readString();
  auto title = reader.readString();
  auto url = reader.readString();
  if (reader.failed()) return std::nullopt;
  SourceResult result;
  result.description = description->empty() ? kBlank : std::move(*description);
  result.position = static_cast<int32_t>(*position);
  result.text2 = std::move(*text2);
  result.title = title->empty() ? kBlank : std::move(*title);
  result.url = std::move(*url);
  return result;
}

}  // namespace brambel
