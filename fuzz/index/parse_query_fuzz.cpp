// Query parsing on arbitrary UTF-16 input: no crash, and every term it hands
// out is non-empty and within the filter's length once its markers are off.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "index/query_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  static const brambel::TermFilter filter;
  std::u16string query(size / 2, u'\0');
  for (size_t i = 0; i + 1 < size; i += 2) query[i / 2] = static_cast<char16_t>(data[i] | data[i + 1] << 8);
  for (std::u16string term : brambel::ParseQuery(query, filter)) {
    if (!term.empty() && term.front() == u'-') term.erase(0, 1);
    if (!term.empty() && term.front() == u'"') term.erase(0, 1);
    if (!term.empty() && term.back() == u'"') term.pop_back();
    if (term.size() < 2 || term.size() > static_cast<size_t>(filter.maxTermLength())) abort();
  }
  return 0;
}
