#include "index/term_scanner.h"

namespace brambel {

bool TermScanner::emit(size_t end, std::u16string_view& term, uint32_t& position) {
  term = text_.substr(start_, end - start_);
  position = static_cast<uint32_t>(start_);
  return true;
}

bool TermScanner::next(std::u16string_view& term, uint32_t& position) {
  while (next_ < text_.size()) {
    const size_t i = next_++;
    const char16_t unit = text_[i];
    if (isSeparator(unit)) {
      ++separatorsAndPairs_;
      const size_t open = start_;
      start_ = i + 1;
      if (open < i) {
        term = text_.substr(open, i - open);
        position = static_cast<uint32_t>(open);
        return true;
      }
      continue;
    }
    ++wordUnits_;
    if (isWide(unit) && i > start_ && !isWide(text_[i - 1])) {
      // A wide run begins inside a word: the narrow part before it is a term.
      const bool emitted = emit(i, term, position);
      start_ = i;
      return emitted;
    }
    if (isWide(text_[start_]) && i > start_) {
      // The open word has reached two units and starts with a wide unit.
      ++separatorsAndPairs_;
      emit(start_ + 2, term, position);
      ++start_;
      return true;
    }
  }
  if (start_ < text_.size()) {
    emit(text_.size(), term, position);
    start_ = text_.size();
    return true;
  }
  return false;
}

}  // namespace brambel
