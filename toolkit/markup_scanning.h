#pragma once

#include <cstring>
#include <string_view>
#include <vector>

// Pattern pieces shared by the hand-written markup scanners (the text, feed
// and link scanners and the path query's tag matcher). Every piece works at
// one position of the input and never looks further than the next match of
// what it needs, so the scanners stay linear however the input is cut off.

namespace brambel {

// The scanners' white space: tab, line feed, form feed, carriage return, space.
inline bool isScannerSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

inline char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// True when `text` holds `word` at `pos`, letters compared in either case.
// `word` must be lower case.
inline bool hasWordAt(std::string_view text, size_t pos, std::string_view word) {
  if (pos > text.size() || text.size() - pos < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (asciiLower(text[pos + i]) != word[i]) return false;
  return true;
}

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
  if (head.kind != kind || !hasWordAt(text, head.nameStart, word)) return std::string_view::npos;
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

}  // namespace brambel
