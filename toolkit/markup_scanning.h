#pragma once

#include <cstring>
#include <string_view>
#include <vector>

#include "toolkit/ascii_case.h"

// Pattern pieces shared by the hand-written markup scanners (the text, feed
// and link scanners, the path query's tag matcher and markup removal). Every piece works at
// one position of the input and never looks further than the next match of
// what it needs, so the scanners stay linear however the input is cut off.

namespace brambel {

// The scanners' white space: tab, line feed, form feed, carriage return, space.
inline bool isScannerSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

inline size_t skipScannerSpace(std::string_view text, size_t pos) {
  while (pos < text.size() && isScannerSpace(text[pos])) ++pos;
  return pos;
}

// Finds the next occurrence of one byte at or after a position, remembering
// the last answer: a scanner asks again and again for the next ">" from
// positions that only move forward, and must not rescan the same stretch
// each time (10 MB of "<" without any ">" would otherwise be quadratic).
class NextByteFinder {
 public:
  NextByteFinder(std::string_view text, char byte) : text_(text), byte_(byte) {}

  // The position of the first `byte` at or after `from`, or npos.
  size_t find(size_t from) {
    if (from < searchedFrom_ || from > found_) {
      searchedFrom_ = from;
      const void* hit =
          from < text_.size() ? std::memchr(text_.data() + from, byte_, text_.size() - from) : nullptr;
      found_ =
          hit ? static_cast<size_t>(static_cast<const char*>(hit) - text_.data()) : std::string_view::npos;
    }
    return found_;
  }

 private:
  std::string_view text_;
  char byte_;
  size_t searchedFrom_ = std::string_view::npos;
  size_t found_ = 0;
};

enum class TagKind { kOpening, kClosing };

// The head of a tag at a "<": white space, then "/" for a close tag, then
// the name (no white space is allowed after the "/").
struct TagHead {
  size_t nameStart;
  TagKind kind;
};

inline TagHead readTagHead(std::string_view text, size_t lessThan) {
  size_t at = skipScannerSpace(text, lessThan + 1);
  if (at < text.size() && text[at] == '/') return {at + 1, TagKind::kClosing};
  return {at, TagKind::kOpening};
}

// Matches a tag of the given kind whose name begins with `word` (either
// case), then anything up to and including the next ">". The word needs no
// delimiter after it unless `delimited` asks for white space, "/" or ">"
// there. Returns the end of the tag, or npos.
inline size_t matchTagWord(std::string_view text, TagHead head, std::string_view word, TagKind kind,
                           NextByteFinder& greaterThan, bool delimited = false) {
  if (head.kind != kind || !startsWithIgnoringCase(text, head.nameStart, word)) return std::string_view::npos;
  size_t at = head.nameStart + word.size();
  if (delimited && (at >= text.size() || !(isScannerSpace(text[at]) || text[at] == '/' || text[at] == '>')))
    return std::string_view::npos;
  size_t end = greaterThan.find(at);
  return end == std::string_view::npos ? end : end + 1;
}

// The same for the tag at `lessThan`: `<` ws* [`/`] word, anything, `>`.
inline size_t matchWordTag(std::string_view text, size_t lessThan, std::string_view word, TagKind kind,
                           NextByteFinder& greaterThan) {
  return matchTagWord(text, readTagHead(text, lessThan), word, kind, greaterThan);
}

// The start conditions of a scanner: entering one saves the current one,
// leaving returns to it. The scanners' rules only leave conditions they
// entered, so the bottom one is never left.
template <typename Condition>
class StartConditionStack {
 public:
  explicit StartConditionStack(Condition initial) : current_(initial) {}

  Condition current() const { return current_; }
  void enter(Condition condition) {
    saved_.push_back(current_);
    current_ = condition;
  }
  void leave() {
    if (saved_.empty()) return;
    current_ = saved_.back();
    saved_.pop_back();
  }

 private:
  Condition current_;
  std::vector<Condition> saved_;
};

// The end of the first `terminator` ("-->", "]]>") at or after `from`, or npos.
inline size_t findTextEnd(std::string_view text, size_t from, std::string_view terminator) {
  size_t at = from > text.size() ? std::string_view::npos : text.find(terminator, from);
  return at == std::string_view::npos ? at : at + terminator.size();
}

// The end of the first close tag `<` ws* `/` word, anything, `>` at or after
// `from`, or npos: where a skipped element such as a script ends.
inline size_t findCloseTagEnd(std::string_view text, size_t from, std::string_view word,
                              NextByteFinder& lessThan, NextByteFinder& greaterThan) {
  for (size_t at = lessThan.find(from); at != std::string_view::npos; at = lessThan.find(at + 1)) {
    size_t end = matchWordTag(text, at, word, TagKind::kClosing, greaterThan);
    if (end != std::string_view::npos) return end;
  }
  return std::string_view::npos;
}

// What every scanner keeps: its input and position, its start conditions
// and the finders for the next "<" and ">".
template <typename Condition>
class MarkupScanner {
 protected:
  MarkupScanner(std::string_view in, Condition initial)
      : in_(in), conditions_(initial), lessThan_(in, '<'), greaterThan_(in, '>') {}

  // Leaves the current condition at `end`, the end of its terminator; a
  // condition never terminated (npos) drops the rest of the input.
  void leaveAt(size_t end) {
    if (end == std::string_view::npos) {
      pos_ = in_.size();
      return;
    }
    pos_ = end;
    conditions_.leave();
  }

  std::string_view in_;
  size_t pos_ = 0;
  StartConditionStack<Condition> conditions_;
  NextByteFinder lessThan_;
  NextByteFinder greaterThan_;
};

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

// Recognises the pieces of markup that text extraction removes (scripts,
// styles, comments, tags) when they start at a "<". Each method
// answers the length of the piece at `at`, or 0 when there is none there;
// successive calls must not move backwards through the text.
template <typename Char>
class RemovableMarkup {
 public:
  explicit RemovableMarkup(std::basic_string_view<Char> text)
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
