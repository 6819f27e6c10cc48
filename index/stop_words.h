#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace brambel {

// Lets the stop-word set be asked with a view into a text, without a copy.
struct StopWordHash {
  using is_transparent = void;
  size_t operator()(std::u16string_view word) const { return std::hash<std::u16string_view>{}(word); }
};

// The words left out of the index and of queries, matched exactly (case
// included). The library setting "stopWords" holds them separated by blanks.
using StopWordSet = std::unordered_set<std::u16string, StopWordHash, std::equal_to<>>;

// The value of "stopWords" when the library has not set its own.
extern const std::u16string_view kDefaultStopWords;

// Splits a "stopWords" value at every blank. Empty pieces (two blanks in a
// row, a leading or trailing blank) add nothing: no extracted term is empty.
StopWordSet buildStopWordSet(std::u16string_view setting);

}  // namespace brambel
