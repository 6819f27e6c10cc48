#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "store/key_value_file.h"
#include "store/url_marks.h"

namespace brambel {

class LibraryStore;

// Mark bits of a listing: which documents it selects.
enum LibraryMask : uint32_t {
  kSelectPermanent = 1,
  kSelectIgnored = 2,
  kSelectHovered = 4,  // hovered after the cut-off
  kSelectClicked = 8,  // clicked after the cut-off
  kSelectAll = 16,
};

// The mask for the library source's "mode" parameter: 0 permanent, 1
// ignored, 2 hover date, 3 click date, 4 all; anything else permanent.
uint32_t maskForLibraryMode(int mode);

struct LibraryCriteria {
  uint32_t mask = kSelectPermanent;
  uint32_t days = 7;                  // the date bits select dates after now − days
  std::u16string urlStem;             // when set, URLs must begin with it (any case)
  std::vector<std::u16string> terms;  // when set, documents are scored against them
  size_t maximum = 5000;
  uint32_t now = 0;                   // seconds since 1970; 0 takes the clock
};

struct LibraryEntry {
  std::u16string url;
  int32_t score = 0;
};

// Scores one candidate's stored text against the terms; nothing when its
// content or term table cannot be read (the candidate is then left out).
using DocumentScorer =
    std::function<std::optional<float>(const UrlMarks& marks, std::span<const std::u16string> terms)>;

// Walks the mark records of `marks` (keys: URLs written backwards, UTF-8;
// values: UrlMarks) and lists the documents the criteria select.
//
// Without terms, candidates of the permanent, ignored or all selections come
// first, in the order of the mark file, and those of a date selection follow,
// newest first. With terms only candidates scoring above 0 stay, best first.
// At most `maximum` entries in all. An unreadable mark file lists nothing.
std::vector<LibraryEntry> ListLibrary(const KeyValueFile& marks, const LibraryCriteria& criteria,
                                      const DocumentScorer& scorer);

// Lists the documents of a library, scoring each by its own content file.
std::vector<LibraryEntry> ListLibrary(const LibraryStore& library, const LibraryCriteria& criteria);

// The standard scorer's work for one content file: strict term scoring of
// its per-document term table against its text statistics.
std::optional<float> scoreContentFile(const std::filesystem::path& contentFile,
                                      std::span<const std::u16string> terms);

}  // namespace brambel
