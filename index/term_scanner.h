#pragma once

#include <cstdint>
#include <string_view>

namespace brambel {

// Cuts wide text into raw terms, before any filtering.
//
// Words are separated by tab, line feed, form feed, carriage return, blank
// and the ideographic space U+3000. Units above U+1000 (ideographs and other
// scripts written without blanks) are cut into overlapping pairs: a run of
// them yields every adjacent pair, and its last unit stays open as the start
// of the next term. A term's position is the index of its first UTF-16 unit
// in the text. Case is left as it is.
class TermScanner {
 public:
  explicit TermScanner(std::u16string_view text) : text_(text) {}

  // The next term and its position; false once the text is used up.
  bool next(std::u16string_view& term, uint32_t& position);

  // Separators passed plus pairs emitted so far.
  uint32_t separatorsAndPairs() const { return separatorsAndPairs_; }
  // Units passed so far that were not separators.
  uint32_t wordUnits() const { return wordUnits_; }

  static bool isSeparator(char16_t unit) {
    return unit == 9 || unit == 10 || unit == 12 || unit == 13 || unit == 32 || unit == 0x3000;
  }
  static bool isWide(char16_t unit) { return unit > 0x1000; }

 private:
  bool emit(size_t end, std::u16string_view& term, uint32_t& position);

  std::u16string_view text_;
  size_t next_ = 0;   // index of the next unit to look at
  size_t start_ = 0;  // start of the open word
  uint32_t separatorsAndPairs_ = 0;
  uint32_t wordUnits_ = 0;
};

}  // namespace brambel
