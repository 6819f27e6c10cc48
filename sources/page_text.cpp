#include "sources/page_text.h"

#include "toolkit/ascii_case.h"
#include "toolkit/blank_text.h"
#include "toolkit/code_pages.h"
#include "toolkit/html_to_text.h"

namespace brambel {
namespace {

std::string foldBlanks(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  bool pendingBlank = false;
  for (char c : text) {
    if (isBlank(c)) {
      pendingBlank = !folded.empty();
      continue;
    }
    if (pendingBlank) folded += ' ';
    pendingBlank = false;
    folded += c;
  }
  return folded;
}

}  // namespace

std::u16string fromUtf8(std::string_view bytes) { return toWide(std::string(bytes), kCodePageUtf8); }

std::string toUtf8(const std::u16string& text) { return toNarrow(text, kCodePageUtf8); }

std::u16string plainText(std::string_view markup) { return fromUtf8(foldBlanks(htmlToText(markup))); }

std::u16string withPlainAmpersands(std::u16string text) {
  for (size_t at = text.find(u"&amp;"); at != std::u16string::npos; at = text.find(u"&amp;", at + 1))
    text.replace(at, 5, u"&");
  return text;
}

std::string_view cutAt(std::string_view text, std::string_view marker) {
  std::string lowerMarker = lowerAscii(marker);
  for (size_t at = 0; at < text.size(); ++at)
    if (startsWithIgnoringCase(text, at, lowerMarker)) return text.substr(0, at);
  return text;
}

}  // namespace brambel
