#include "store/source_index_text.h"

#include <algorithm>

#include "store/little_endian.h"

namespace brambel {

bool SourceIndexText::ReadFrom(const ContentFile& file) {
  auto reader = sectionReader(file, ContentFile::Field::IndexTextOffset);
  if (!reader) return false;
  if (windowStart == 0 && windowLength == 0) {
    auto whole = reader->readString();
    if (!whole) return false;
    text = std::move(*whole);
    return true;
  }
  auto stored = reader->readU32();
  if (!stored || uint64_t{*stored} * 2 > reader->remaining()) return false;
  text.clear();
  if (windowStart >= *stored) return true;
  const uint32_t units = std::min(*stored - windowStart, windowLength);
  auto bytes = file.readAt(reader->position() + uint64_t{windowStart} * 2, uint64_t{units} * 2);
  if (!bytes) return false;
  text = utf16FromLe(bytes->data(), units);
  return true;
}

bool SourceIndexText::WriteTo(ContentFile& file) {
  SectionWriter writer;
  writer.writeString(text);
  const auto byteSize = static_cast<uint32_t>(writer.bytes().size());
  return file.appendSection(ContentFile::Field::IndexTextOffset, writer.bytes(),
                            {{ContentFile::Field::IndexTextSize, byteSize}});
}

}  // namespace brambel
