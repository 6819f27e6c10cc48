#include "search/item_to_result.h"

#include <unicode/uchar.h>

#include "toolkit/http_date.h"
#include "toolkit/markup.h"

namespace brambel {
namespace {

bool isWhiteSpace(char16_t c) { return u_isUWhiteSpace(c); }

std::u16string withoutQuotes(const std::u16string& text) {
  std::u16string result;
  result.reserve(text.size());
  for (char16_t c : text)
    if (c != u'"' && c != u'\'') result += c;
  return result;
}

}  // namespace

std::u16string trimWhiteSpace(const std::u16string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isWhiteSpace(text[begin])) ++begin;
  while (end > begin && isWhiteSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::u16string trimLeadingWhiteSpace(const std::u16string& text) {
  size_t begin = 0;
  while (begin < text.size() && isWhiteSpace(text[begin])) ++begin;
  return text.substr(begin);
}

std::u16string foldWhiteSpace(const std::u16string& text) {
  std::u16string folded;
  folded.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t run = i;
    while (run < text.size() && isWhiteSpace(text[run])) ++run;
    if (run - i >= 2) {
      folded += u' ';
      i = run;
    } else {
      folded += text[i++];
    }
  }
  return trimWhiteSpace(folded);
}

SourceResult ItemToResult(const ResultItem& item, int position, ItemContent* content) {
  SourceResult record;
  record.position = position;
  record.contentDate = 0;
  record.marker = -1;
  ItemContent ignored;
  ItemContent& out = content ? *content : ignored;
  for (const ResultAttribute& attribute : item.attributes) {
    const std::u16string& name = attribute.name;
    const std::u16string& value = attribute.value;
    if (name == u"href") {
      record.url = withoutQuotes(value);
    } else if (name == u"title") {
      record.title = foldWhiteSpace(stripMarkup(value));
    } else if (name == u"override_title") {
      record.title = stripMarkup(value);
      out.titleOverride = record.title;
    } else if (name == u"body") {
      record.description = foldWhiteSpace(stripMarkup(value));
    } else if (name == u"content") {
      if (content) out.content = attribute.data;
    } else if (name == u"contentType") {
      out.contentType = value;
    } else if (name == u"contentExpires") {
      out.expires = value;
    } else if (name == u"contentEtag") {
      out.etag = value;
    } else if (name == u"contentLastModified") {
      out.lastModified = value;
      record.contentDate = parseHttpDate(value);
    } else if (name == u"overrideImage") {
      record.imageUrl = withoutQuotes(value);
      out.imageOverride = record.imageUrl;
    } else if (name.starts_with(u"source")) {
      record.sources.push_back(value);
    }
  }
  if (record.title.empty()) record.title = record.url;
  return record;
}

}  // namespace brambel
