#include "index/library_listing.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "index/term_score.h"
#include "index/work_yielder.h"
#include "store/content_file.h"
#include "store/index_file.h"
#include "store/index_session.h"
#include "store/library_store.h"
#include "store/source_stats.h"
#include "toolkit/code_pages.h"

namespace brambel {

namespace {

constexpr std::chrono::milliseconds kYieldInterval{500};

char16_t foldCase(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? unit + 32 : unit; }

bool beginsWithIgnoringCase(std::u16string_view text, std::u16string_view stem) {
  if (stem.size() > text.size()) return false;
  for (size_t i = 0; i < stem.size(); ++i)
    if (foldCase(text[i]) != foldCase(stem[i])) return false;
  return true;
}

bool isCandidate(const UrlMarks& marks, uint32_t mask, uint32_t cutOff) {
  return (mask & kSelectAll) || ((mask & kSelectPermanent) && marks.isPermanent()) ||
         ((mask & kSelectIgnored) && marks.isIgnored()) ||
         ((mask & kSelectHovered) && marks.hoverDate > cutOff) ||
         ((mask & kSelectClicked) && marks.clickDate > cutOff);
}

// Positions of terms in a stored per-document table, whose postings are positions.
class StoredPositions : public TermPositions {
 public:
  explicit StoredPositions(IndexSession& session) : session_(session) {}
  std::vector<uint32_t> positionsOf(std::u16string_view term) const override {
    std::vector<uint32_t> positions;
    if (std::optional<TermRecord> record = session_.findTerm(term))
      for (const Posting& p : session_.postingsOf(*record)) positions.push_back(p.id);
    return positions;
  }

 private:
  IndexSession& session_;
};

}  // namespace

uint32_t maskForLibraryMode(int mode) {
  switch (mode) {
    case 1: return kSelectIgnored;
    case 2: return kSelectHovered;
    case 3: return kSelectClicked;
    case 4: return kSelectAll;
    default: return kSelectPermanent;
  }
}

std::vector<LibraryEntry> ListLibrary(const KeyValueFile& marks, const LibraryCriteria& criteria,
                                      const DocumentScorer& scorer) {
  std::vector<LibraryEntry> listed;
  std::vector<LibraryEntry> scored;
  if (criteria.maximum == 0) return listed;
  const int64_t now = criteria.now != 0 ? criteria.now : static_cast<int64_t>(std::time(nullptr));
  const int64_t cutOffSigned = now - int64_t{criteria.days} * 86400;
  const uint32_t cutOff = static_cast<uint32_t>(std::clamp<int64_t>(cutOffSigned, 0, UINT32_MAX));
  const bool byDate = (criteria.mask & (kSelectHovered | kSelectClicked)) != 0;
  size_t remaining = criteria.maximum;
  WorkYielder yielder(kYieldInterval);

  marks.Walk([&](std::string_view key, std::string_view value) {
    yielder.maybeYield();
    std::optional<UrlMarks> record = UrlMarks::decode(value);
    if (!record || !isCandidate(*record, criteria.mask, cutOff)) return true;
    std::u16string url = LibraryStore::urlOfMarkKey(key);
    if (!criteria.urlStem.empty() && !beginsWithIgnoringCase(url, criteria.urlStem)) return true;
    int32_t score = 0;
    if (!criteria.terms.empty()) {
      std::optional<float> termScore = scorer ? scorer(*record, criteria.terms) : std::nullopt;
      if (!termScore || !(*termScore > 0.0f)) return true;
      score = static_cast<int32_t>(std::min(*termScore, 2147483520.0f));
    }
    if (score == 0 && byDate)
      score = static_cast<int32_t>((criteria.mask & kSelectHovered) ? record->hoverDate : record->clickDate);
    if (score == 0) {
      listed.push_back({std::move(url), 0});
      return --remaining > 0;
    }
    scored.push_back({std::move(url), score});
    return true;
  });

  std::stable_sort(scored.begin(), scored.end(),
                   [](const LibraryEntry& a, const LibraryEntry& b) { return a.score > b.score; });
  const size_t kept = std::min(scored.size(), criteria.maximum);
  listed.insert(listed.end(), std::make_move_iterator(scored.begin()),
                std::make_move_iterator(scored.begin() + kept));
  if (listed.size() > criteria.maximum) listed.resize(criteria.maximum);
  return listed;
}

std::vector<LibraryEntry> ListLibrary(const LibraryStore& library, const LibraryCriteria& criteria) {
  return ListLibrary(library.marksFile(), criteria,
                     [&](const UrlMarks& marks, std::span<const std::u16string> terms) {
                       if (marks.recordId == 0) return std::optional<float>();
                       return scoreContentFile(library.contentPath(marks.recordId), terms);
                     });
}

std::optional<float> scoreContentFile(const std::filesystem::path& contentFile,
                                      std::span<const std::u16string> terms) {
  std::optional<uint64_t> tableOffset;
  SourceStats stats;
  {
    ContentFile file = ContentFile::openForReading(contentFile);
    if (!file.isUsable()) return std::nullopt;
    const uint64_t offset = file.offset(ContentFile::Field::TermsOffset);
    if (offset == 0) return std::nullopt;
    tableOffset = offset;
    stats.ReadFrom(file);
  }
  IndexFileOptions options;
  options.readOnly = true;
  options.cached = false;
  IndexFile table(contentFile, *tableOffset, options);
  if (!table.isValid()) return std::nullopt;
  std::optional<IndexSession> session = table.beginRead();
  if (!session) return std::nullopt;
  return TermScore(StoredPositions(*session), stats, terms, true);
}

}  // namespace brambel
