#pragma once

#include <string>

#include "sources/result_item.h"
#include "store/source_result.h"

namespace brambel {

// What an item may carry beyond the result record: the page itself and its
// headers, and overrides for the title and the preview image.
struct ItemContent {
  std::u16string titleOverride;
  std::string content;
  std::u16string contentType;
  std::u16string lastModified;
  std::u16string expires;
  std::u16string etag;
  std::u16string imageOverride;
};

// Converts a source's result item into a result record at `position`.
// Attributes, by exact name:
//   "href"            the URL, quote characters removed
//   "title"           markup stripped, white-space runs folded, trimmed
//   "override_title"  markup stripped; also the title override
//   "body"            the description, like "title"
//   "content"         the raw page bytes
//   "contentType", "contentExpires", "contentEtag"  copied to `content`
//   "contentLastModified"  copied, and parsed into the content date
//   "overrideImage"   the image URL, quotes removed; also the image override
//   "source..."       appended to the record's sources
// Other names are ignored. An empty title becomes the URL.
SourceResult ItemToResult(const ResultItem& item, int position, ItemContent* content = nullptr);

// `text` with every run of two or more white-space characters replaced by one
// blank, and trimmed on both sides.
std::u16string foldWhiteSpace(const std::u16string& text);
// `text` without white space at either end.
std::u16string trimWhiteSpace(const std::u16string& text);
// `text` without white space at its start.
std::u16string trimLeadingWhiteSpace(const std::u16string& text);

}  // namespace brambel
