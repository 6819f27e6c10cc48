#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/markup_scanning.h"

namespace brambel {

// One tag of a given name as the path query sees it, opening or closing:
//
//   opening: "<" spaces NAME [ws attributes] ["/"] ">"
//   closing: "<" spaces "/" spaces NAME [ws anything] ">"
//
// The name is compared in either case and must be followed by white space,
// "/>" or ">" (so "td" does not match "<tdx>"). An opening tag ends at its
// first ">"; it is self-closing when the character before that ">" is "/".
// This is the Perl-style expression
//   (<[ ]*NAME(\s+[^>]*?)?(/?)>)|(<[ ]*(/)[ ]*NAME(\s+[^>]*)?>)
// matched case-insensitively, including its backtracking into the spaces when
// the name itself is empty or only spaces, but found in linear time.
struct TagMatch {
  size_t start = 0;  // the "<"
  size_t end = 0;    // just after the ">"
  bool closing = false;
  bool selfClosing = false;
  std::string_view attributeText;  // opening tags: from the white space after the name
};

class TagPattern {
 public:
  TagPattern(std::string_view html, std::string_view name);

  // The first tag of the name that starts at or after `from`.
  std::optional<TagMatch> findNext(size_t from);

 private:
  struct NameEnd {
    size_t end;          // just after the name
    size_t spareSpaces;  // spaces before `end` the expression could give back to "\s+"
  };
  std::optional<NameEnd> matchName(size_t pos) const;
  std::optional<TagMatch> matchOpening(size_t start) ;
  std::optional<TagMatch> matchClosing(size_t start);
  // Start of the "\s+..." part at the name's end: there when white space
  // follows, else one of the spare spaces, else none.
  std::optional<size_t> whiteSpaceStart(const NameEnd& name) const;

  std::string_view html_;
  size_t leadingSpaces_;
  std::string core_;  // the name after its leading spaces, lower case
  NextByteFinder greaterThan_;
  NextByteFinder lessThan_;
};

}  // namespace brambel
