#include "index/term_score.h"

#include <algorithm>

namespace brambel {

namespace {

constexpr float kExcluded = -1.0f;

struct QueryTerm {
  std::u16string_view text;
  bool opensPhrase = false;
  bool closesPhrase = false;
  bool negated = false;
};

// Takes the phrase and negation markers off a query term.
QueryTerm readMarkers(std::u16string_view text) {
  QueryTerm term;
  if (!text.empty() && text.front() == u'"') {
    term.opensPhrase = true;
    text.remove_prefix(1);
  }
  if (!text.empty() && text.front() == u'-') {
    term.negated = true;
    text.remove_prefix(1);
  }
  if (!text.empty() && text.back() == u'"') {
    term.closesPhrase = true;
    text.remove_suffix(1);
  }
  term.text = text;
  return term;
}

bool contains(const std::vector<uint32_t>& sorted, uint32_t value) {
  return std::binary_search(sorted.begin(), sorted.end(), value);
}

// Fraction of the text that lies after `position`, 0 when L is unknown.
float earliness(uint32_t position, uint32_t length) {
  if (length == 0 || position >= length) return 0.0f;
  return static_cast<float>(length - position) / static_cast<float>(length);
}

}  // namespace

float TermScore(const TermPositions& text, const SourceStats& stats,
                std::span<const std::u16string> terms, bool strict) {
  std::vector<uint32_t> previous;
  size_t previousLength = 0;
  std::vector<uint32_t> phraseCandidates;
  bool inPhrase = false;
  uint64_t pairs = 0;
  float adjacency = 0, proximity = 0, positional = 0;
  int termsSeen = 0;

  for (const std::u16string& raw : terms) {
    if (raw.empty()) continue;
    QueryTerm term = readMarkers(raw);
    if (term.negated && !strict) continue;
    if (term.text.empty()) continue;
    ++termsSeen;

    std::vector<uint32_t> current = text.positionsOf(term.text);
    std::sort(current.begin(), current.end());
    const bool found = !current.empty();
    if (found && term.negated) return kExcluded;
    if (!found && !term.negated && strict) return kExcluded;

    const bool continuesPhrase = inPhrase && !term.opensPhrase;
    std::vector<uint32_t> nextCandidates;
    if (found) {
      pairs += static_cast<uint64_t>(previous.size()) * current.size();
      bool firstAdjacent = true;
      for (uint32_t p : previous) {
        // q is adjacent when it starts one unit before, at, or one unit after
        // the end of the previous term's occurrence at p.
        const int64_t end = static_cast<int64_t>(p) + static_cast<int64_t>(previousLength);
        for (int64_t q = end - 1; q <= end + 1; ++q) {
          if (q < 0 || q > UINT32_MAX || !contains(current, static_cast<uint32_t>(q))) continue;
          if (stats.w != 0)
            adjacency += static_cast<float>(term.text.size() + previousLength) /
                         static_cast<float>(stats.w);
          if (firstAdjacent) {
            proximity += earliness(p, stats.l);
            firstAdjacent = false;
          }
          if (continuesPhrase && contains(phraseCandidates, p))
            nextCandidates.push_back(static_cast<uint32_t>(q));
        }
      }
      if (strict) {
        if (stats.t != 0)
          positional += static_cast<float>(current.size()) / static_cast<float>(stats.t);
        positional += earliness(current.front(), stats.l);
      }
    }

    if (term.opensPhrase) {
      phraseCandidates = current;
      inPhrase = !term.closesPhrase;
    } else if (inPhrase) {
      std::sort(nextCandidates.begin(), nextCandidates.end());
      nextCandidates.erase(std::unique(nextCandidates.begin(), nextCandidates.end()),
                           nextCandidates.end());
      phraseCandidates = std::move(nextCandidates);
      if (term.closesPhrase) inPhrase = false;
    }
    if ((inPhrase || continuesPhrase) && phraseCandidates.empty()) return kExcluded;

    previous = std::move(current);
    previousLength = term.text.size();
  }

  if (pairs > 0 && termsSeen > 1) proximity /= static_cast<float>(termsSeen - 1);
  return 2 * proximity + positional + adjacency;
}

}  // namespace brambel
