#include "index/term_filter.h"

#include <algorithm>

namespace brambel {

namespace {

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

TermFilter::TermFilter(const TermFilterOptions& options)
    : stopWords_(buildStopWordSet(options.stopWords)),
      maxTermLength_(std::clamp(options.maxTermLength, kMinTermLength, kMaxTermLength)) {}

std::optional<std::u16string_view> TermFilter::acceptedForm(std::u16string_view term) const {
  if (term.size() < 2) return std::nullopt;
  if (stopWords_.find(term) != stopWords_.end()) return std::nullopt;
  if (term.size() > static_cast<size_t>(maxTermLength_)) {
    size_t cut = static_cast<size_t>(maxTermLength_);
    if (cut > kMinTermLength && isHighSurrogate(term[cut - 1])) --cut;
    term = term.substr(0, cut);
  }
  return term;
}

bool TermFilter::AcceptTerm(std::u16string& term) const {
  std::optional<std::u16string_view> kept = acceptedForm(term);
  if (!kept) return false;
  term.resize(kept->size());
  return true;
}

}  // namespace brambel
