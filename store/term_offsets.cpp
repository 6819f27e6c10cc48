#include "store/term_offsets.h"

#include "store/little_endian.h"

namespace brambel {

namespace {

// An empty term with no positions: the smallest entry a count can promise.
constexpr uint64_t kSmallestEntry = 8;

}  // namespace

void TermOffsets::add(std::u16string_view term, uint32_t position) {
  auto it = terms_.find(term);
  if (it == terms_.end()) it = terms_.emplace(std::u16string(term), std::vector<uint32_t>{}).first;
  it->second.push_back(position);
}

std::vector<std::u16string> TermOffsets::TermsWithPrefix(std::u16string_view prefix) const {
  std::vector<std::u16string> found;
  for (auto it = terms_.lower_bound(prefix); it != terms_.end() && it->first.starts_with(prefix); ++it) {
    found.push_back(it->first);
  }
  return found;
}

const std::vector<uint32_t>* TermOffsets::FindTerm(std::u16string_view term) const {
  auto it = terms_.find(term);
  return it == terms_.end() ? nullptr : &it->second;
}

bool TermOffsets::ReadFrom(const ContentFile& file) {
  auto reader = sectionReader(file, ContentFile::Field::TermsOffset);
  if (!reader) return false;
  auto count = reader->readU32();
  if (!count || *count > reader->remaining() / kSmallestEntry) return false;
  std::map<std::u16string, std::vector<uint32_t>, std::less<>> loaded;
  for (uint32_t i = 0; i < *count; ++i) {
    auto term = reader->readString();
    auto positions = reader->readU32();
    if (!term || !positions) return false;
    auto bytes = reader->readBytes(uint64_t{*positions} * 4);
    if (!bytes) return false;
    auto& list = loaded[std::move(*term)];
    for (uint32_t p = 0; p < *positions; ++p) list.push_back(loadLe32(bytes->data() + 4 * p));
  }
  terms_ = std::move(loaded);
  return true;
}

bool TermOffsets::WriteTo(ContentFile& file) {
  SectionWriter writer;
  writer.writeU32(static_cast<uint32_t>(terms_.size()));
  for (const auto& [term, positions] : terms_) {
    writer.writeString(term);
    writer.writeU32(static_cast<uint32_t>(positions.size()));
    for (uint32_t position : positions) writer.writeU32(position);
  }
  return file.appendSection(ContentFile::Field::TermsOffset, writer.bytes());
}

}  // namespace brambel
