#include "store/source_result_record.h"

#include <algorithm>

namespace brambel {

bool SourceResultRecord::ReadFrom(const ContentFile& file) {
  auto reader = sectionReader(file, ContentFile::Field::ResultOffset);
  if (!reader) return false;
  SourceResult loaded;
  for (auto* text : {&loaded.url, &loaded.title, &loaded.description, &loaded.text4}) {
    auto value = reader->readString();
    if (!value) return false;
    *text = std::move(*value);
  }
  for (auto* number : {&loaded.contentDate, &loaded.loadDate, &loaded.number3}) {
    auto value = reader->readU32();
    if (!value) return false;
    *number = *value;
  }
  const uint32_t trailing = std::min(file.u32(ContentFile::Field::ResultTrailingStrings), kTrailingStrings);
  std::u16string* trailingTexts[] = {&loaded.text1, &loaded.imageUrl, &loaded.text7};
  for (uint32_t i = 0; i < trailing; ++i) {
    auto value = reader->readString();
    if (!value) return false;
    *trailingTexts[i] = std::move(*value);
  }
  // Fields this form does not store keep what the caller had.
  loaded.text2 = std::move(result.text2);
  loaded.searchUrl = std::move(result.searchUrl);
  loaded.sources = std::move(result.sources);
  loaded.position = result.position;
  loaded.marker = result.marker;
  result = std::move(loaded);
  return true;
}

bool SourceResultRecord::WriteTo(ContentFile& file) {
  SectionWriter writer;
  writer.writeString(result.url);
  writer.writeString(result.title);
  writer.writeString(result.description);
  writer.writeString(result.text4);
  writer.writeU32(result.contentDate);
  writer.writeU32(result.loadDate);
  writer.writeU32(result.number3);
  writer.writeString(result.text1);
  writer.writeString(result.imageUrl);
  writer.writeString(result.text7);
  return file.appendSection(ContentFile::Field::ResultOffset, writer.bytes(),
                            {{ContentFile::Field::ResultTrailingStrings, kTrailingStrings}});
}

bool URLResult::ReadFrom(const ContentFile& file) {
  auto reader = sectionReader(file, ContentFile::Field::ResultOffset);
  if (!reader) return false;
  auto value = reader->readString();
  if (!value) return false;
  url = std::move(*value);
  return true;
}

}  // namespace brambel
