#include "index/query_parser.h"

#include "index/term_scanner.h"
#include "toolkit/text_normalize.h"

namespace brambel {

namespace {

bool isQuerySeparator(char16_t unit) { return TermScanner::isSeparator(unit) || unit == 0x0B; }

struct Piece {
  std::u16string_view text;
  bool negated = false;
  bool phrase = false;
};

// Cuts off the next piece at `at`, or returns false at the end of the query.
bool nextPiece(std::u16string_view query, size_t& at, Piece& piece) {
  while (at < query.size() && isQuerySeparator(query[at])) ++at;
  if (at >= query.size()) return false;
  piece = Piece{};
  if (query[at] == u'-' || query[at] == u'+') {
    piece.negated = query[at] == u'-';
    ++at;
  }
  size_t end;
  if (at < query.size() && query[at] == u'"') {
    piece.phrase = !piece.negated;
    end = query.find(u'"', at + 1);
    end = end == std::u16string_view::npos ? query.size() : end + 1;
  } else {
    end = at;
    while (end < query.size() && !isQuerySeparator(query[end])) ++end;
  }
  piece.text = query.substr(at, end - at);
  at = end;
  return true;
}

}  // namespace

std::vector<std::u16string> ParseQuery(std::u16string_view query, const TermFilter& filter) {
  std::vector<std::u16string> terms;
  size_t at = 0;
  Piece piece;
  while (nextPiece(query, at, piece)) {
    const std::u16string folded = normalizeText(std::u16string(piece.text), true);
    const size_t first = terms.size();
    TermScanner scanner(folded);
    std::u16string_view raw;
    uint32_t position;
    while (scanner.next(raw, position)) {
      std::u16string term(raw);
      if (!filter.AcceptTerm(term)) continue;
      terms.push_back(piece.negated ? u"-" + term : std::move(term));
    }
    if (piece.phrase && terms.size() > first) {
      terms[first].insert(terms[first].begin(), u'"');
      terms.back().push_back(u'"');
    }
  }
  return terms;
}

}  // namespace brambel
