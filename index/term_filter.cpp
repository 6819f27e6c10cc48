#include "index/term_filter.h"

#include <algorithm>

namespace brambel {

namespace {

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

TermFilter::TermFilter(const TermFilterOptions& options)
    : stopWords_(buildStopWordSet(options.stopWords)),
      maxTermLength_(std::clamp(options.maxTermLength, kMinTermLength, kMaxTermLength)) {}

bool TermFilter::AcceptTerm(std::u16string& term) const {
  if (term.size() < 2) return false;
  if (stopWords_.count(term) != 0) return false;
  if (term.size() > static_cast<size_t>(maxTermLength_)) {
    size_t cut = static_cast<size_t>(maxTermLength_);
    if (cut > kMinTermLength && isHighSurrogate(term[cut - 1])) --cut;
    term.resize(cut);
  }
  return true;
}

}  // namespace brambel
