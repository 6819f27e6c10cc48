#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brambel {

// One search result: what a source returned for a URL, merged and scored in
// memory, and kept in the library as the result record of the URL's content
// file (see content_sections.h) and in result set files (archive form, see
// source_result_archive.h).
//
// The spare texts and the spare number are carried through the file forms
// unchanged so that records written by other versions keep their contents:
//   text1, imageUrl, text7  trailing strings of the content-file form
//   text2                   archive form only
//   text4                   fourth string of the content-file form
//   searchUrl               in memory only (the page the source fetched)
//   number3                 content-file form only
struct SourceResult {
  std::u16string text1;
  std::u16string text2;
  std::u16string description;  // the summary shown under the result
  std::u16string url;          // the identity of the result and key of its document
  std::u16string text4;
  std::u16string title;
  std::u16string imageUrl;
  std::u16string text7;
  std::u16string searchUrl;
  std::vector<std::u16string> sources;  // instance ids of every source that returned the URL
  uint32_t contentDate = 0;             // page's last-modified time, seconds since 1970 UTC; 0 = unknown
  uint32_t loadDate = 0;                // when the page was loaded, seconds since 1970 UTC
  uint32_t number3 = 0;
  int32_t position = 0;  // rank within its source's answer, counted from the source's start index
  int32_t marker = 0;    // -1 once the search run has built the result; never stored

  bool operator==(const SourceResult&) const = default;
};

}  // namespace brambel
