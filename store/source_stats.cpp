#include "store/source_stats.h"

namespace brambel {

namespace {

constexpr uint32_t kStatsWritten = 8;

}  // namespace

bool SourceStats::ReadFrom(const ContentFile& file) {
  auto reader = sectionReader(file, ContentFile::Field::StatsOffset);
  if (!reader) return false;
  auto first = reader->readU32();
  auto second = reader->readU32();
  auto third = reader->readU32();
  if (reader->failed()) return false;
  t = *first;
  w = *second;
  l = *third;
  return true;
}

bool SourceStats::WriteTo(ContentFile& file) {
  SectionWriter writer;
  writer.writeU32(t);
  writer.writeU32(w);
  writer.writeU32(l);
  return file.appendSection(ContentFile::Field::StatsOffset, writer.bytes(),
                            {{ContentFile::Field::StatsFlag, kStatsWritten}});
}

}  // namespace brambel
