#pragma once

#include <cstddef>
#include <string_view>

#include "toolkit/ascii_case.h"

namespace brambel {

// Finds the first occurrence of a closing delimiter ("</script>", "-->", ">")
// at or after a position, ignoring ASCII case. A scan that moves forward asks
// with ever larger positions; the last answer is remembered, so no part of the
// text is searched twice and a missing delimiter is looked for only once.
// This keeps markup scanning linear where a lazy ".*?" pattern retried at
// every "<" would be quadratic.
template <typename Char>
class ForwardFinder {
 public:
  static constexpr size_t npos = std::basic_string_view<Char>::npos;

  // `lowerNeedle` is lower-case ASCII and does not start with a letter.
  ForwardFinder(std::basic_string_view<Char> text, std::string_view lowerNeedle)
      : text_(text), needle_(lowerNeedle) {}

  size_t find(size_t from) {
    bool answerStillValid = searched_ && from >= searchedFrom_ && (found_ == npos || found_ >= from);
    if (!answerStillValid) {
      searched_ = true;
      searchedFrom_ = from;
      found_ = search(from);
    }
    return found_;
  }

 private:
  size_t search(size_t from) const {
    const Char first = static_cast<Char>(needle_[0]);
    for (size_t at = text_.find(first, from); at != npos; at = text_.find(first, at + 1)) {
      if (startsWithIgnoringCase(text_, at, needle_)) return at;
    }
    return npos;
  }

  std::basic_string_view<Char> text_;
  std::string_view needle_;
  bool searched_ = false;
  size_t searchedFrom_ = 0;
  size_t found_ = npos;
};

// Recognises the removable pieces of markup that start at a "<". Each method
// answers the length of the piece at `at`, or 0 when there is none there;
// successive calls must not move backwards through the text.
template <typename Char>
class MarkupScanner {
 public:
  explicit MarkupScanner(std::basic_string_view<Char> text)
      : text_(text),
        tagEnd_(text, ">"),
        scriptEnd_(text, "</script>"),
        styleEnd_(text, "</style>"),
        commentEnd_(text, "-->") {}

  // "<", any spaces, "script", the rest of the start tag, and everything up
  // to and including the first "</script>" after it; any case.
  size_t scriptAt(size_t at) { return elementAt(at, "script", scriptEnd_, 9); }
  size_t styleAt(size_t at) { return elementAt(at, "style", styleEnd_, 8); }

  // "<!--" up to and including the first "-->" after it.
  size_t commentAt(size_t at) {
    if (!startsWithIgnoringCase(text_, at, "<!--")) return 0;
    size_t end = commentEnd_.find(at + 4);
    return end == npos ? 0 : end + 3 - at;
  }

  // "<" up to and including the next ">".
  size_t tagAt(size_t at) {
    if (at >= text_.size() || text_[at] != '<') return 0;
    size_t end = tagEnd_.find(at + 1);
    return end == npos ? 0 : end + 1 - at;
  }

 private:
  static constexpr size_t npos = std::basic_string_view<Char>::npos;

  size_t elementAt(size_t at, std::string_view name, ForwardFinder<Char>& endTag, size_t endTagLength) {
    if (at >= text_.size() || text_[at] != '<') return 0;
    size_t nameAt = at + 1;
    while (nameAt < text_.size() && text_[nameAt] == ' ') ++nameAt;
    if (!startsWithIgnoringCase(text_, nameAt, name)) return 0;
    // Neither the spaces nor the name hold a ">", so the start tag ends at
    // the first ">" after the "<".
    size_t startTagEnd = tagEnd_.find(at + 1);
    if (startTagEnd == npos) return 0;
    size_t end = endTag.find(startTagEnd + 1);
    return end == npos ? 0 : end + endTagLength - at;
  }

  std::basic_string_view<Char> text_;
  ForwardFinder<Char> tagEnd_;
  ForwardFinder<Char> scriptEnd_;
  ForwardFinder<Char> styleEnd_;
  ForwardFinder<Char> commentEnd_;
};

}  // namespace brambel
