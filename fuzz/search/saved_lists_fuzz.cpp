// The library's two saved lists: the history file and the saved-terms file
// (archive or text). What is written reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "search/saved_terms.h"
#include "search/search_history.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  brambel::SearchHistory history;
  history.Parse(bytes);
  if (history.entries().size() > brambel::SearchHistory::kLimit) __builtin_trap();
  brambel::SearchHistory again;
  again.Parse(history.Text());
  if (again.entries() != history.entries()) __builtin_trap();

  std::vector<std::u16string> terms = brambel::SavedTerms::Parse(bytes);
  for (const std::u16string& term : terms)
    if (term.empty()) __builtin_trap();
  return 0;
}
