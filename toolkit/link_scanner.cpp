#include "toolkit/link_scanner.h"

#include <algorithm>

#include "toolkit/markup_scanning.h"
#include "toolkit/tag_attribute.h"

namespace brambel {

namespace {

enum class Condition { kInitial, kAnchor, kInnerTag, kScript, kComment, kCdata };

bool hasNofollow(std::string_view rel) {
  for (size_t at = 0; at < rel.size();) {
    while (at < rel.size() && isScannerSpace(rel[at])) ++at;
    size_t end = at;
    while (end < rel.size() && !isScannerSpace(rel[end])) ++end;
    if (end - at == 8 && startsWithIgnoringCase(rel, at, "nofollow")) return true;
    at = end;
  }
  return false;
}

// A longest-match scanner over the page with a stack of start conditions.
class LinkScanner : MarkupScanner<Condition> {
 public:
  LinkScanner(std::string_view page, std::vector<PageLink>& links)
      : MarkupScanner(page, Condition::kInitial), links_(links) {}

  void run() {
    while (pos_ < in_.size()) {
      switch (conditions_.current()) {
        case Condition::kInitial:
          scanInitial();
          break;
        case Condition::kAnchor:
          scanAnchor();
          break;
        case Condition::kInnerTag:
          leaveAt(findTextEnd(in_, pos_, ">"));
          break;
        case Condition::kScript:
          leaveAt(findCloseTagEnd(in_, pos_, "script", lessThan_, greaterThan_));
          break;
        case Condition::kComment:
          leaveAt(findTextEnd(in_, pos_, "-->"));
          break;
        case Condition::kCdata:
          leaveAt(findTextEnd(in_, pos_, "]]>"));
          break;
      }
    }
  }

 private:
  // Outside anchors only the tags that open something matter.
  void scanInitial() {
    size_t lessThan = lessThan_.find(pos_);
    if (lessThan == std::string_view::npos) {
      pos_ = in_.size();
      return;
    }
    pos_ = lessThan;
    if (size_t end = matchAnchorStart(); end != std::string_view::npos) {
      startLink(in_.substr(pos_, end - pos_));
      pos_ = end;
      return conditions_.enter(Condition::kAnchor);
    }
    if (size_t end = matchWordTag(in_, pos_, "script", TagKind::kOpening, greaterThan_);
        end != std::string_view::npos) {
      pos_ = end;
      return conditions_.enter(Condition::kScript);
    }
    if (enterOnText("<!--", Condition::kComment) || enterOnText("<![CDATA[", Condition::kCdata)) return;
    pos_ += 1;
  }

  // "<" ws* "a" and one space, then anything up to ">".
  size_t matchAnchorStart() {
    size_t at = skipScannerSpace(in_, pos_ + 1);
    if (at + 1 >= in_.size() || asciiLower(in_[at]) != 'a' || in_[at + 1] != ' ')
      return std::string_view::npos;
    size_t end = greaterThan_.find(at + 2);
    return end == std::string_view::npos ? end : end + 1;
  }

  void startLink(std::string_view tag) {
    link_ = PageLink();
    if (!hasNofollow(tagAttributeValue(tag, "rel"))) link_.href = tagAttributeValue(tag, "href");
  }

  bool enterOnText(std::string_view opener, Condition condition) {
    if (in_.compare(pos_, opener.size(), opener) != 0) return false;
    pos_ += opener.size();
    conditions_.enter(condition);
    return true;
  }

  void scanAnchor() {
    if (in_[pos_] != '<') {
      size_t end = std::min(lessThan_.find(pos_), in_.size());
      link_.text.append(in_, pos_, end - pos_);
      pos_ = end;
      return;
    }
    if (size_t end = matchAnchorEnd(); end != std::string_view::npos) {
      pos_ = end;
      links_.push_back(std::move(link_));
      link_ = PageLink();
      conditions_.leave();
    } else if (!enterOnText("<!--", Condition::kComment)) {
      pos_ += 1;
      conditions_.enter(Condition::kInnerTag);
    }
  }

  // "<" ws* "/" ws* "a" ws* ">".
  size_t matchAnchorEnd() const {
    size_t at = skipScannerSpace(in_, pos_ + 1);
    if (at >= in_.size() || in_[at] != '/') return std::string_view::npos;
    at = skipScannerSpace(in_, at + 1);
    if (at >= in_.size() || asciiLower(in_[at]) != 'a') return std::string_view::npos;
    at = skipScannerSpace(in_, at + 1);
    if (at >= in_.size() || in_[at] != '>') return std::string_view::npos;
    return at + 1;
  }

  std::vector<PageLink>& links_;
  PageLink link_;
};

}  // namespace

void extractLinks(std::string_view page, std::vector<PageLink>& links) { LinkScanner(page, links).run(); }

}  // namespace brambel
