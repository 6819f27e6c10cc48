#include "toolkit/html_to_text.h"

#include <algorithm>
#include <array>

#include "toolkit/markup_scanning.h"

namespace brambel {

namespace {

struct EntityRule {
  std::string_view name;
  char replacement;
};

// In the order the rules are tried: on equal length the earlier one wins.
constexpr std::array<EntityRule, 17> kEntityRules{{
    {"amp", '&'},
    {"lt", '<'},
    {"gt", '>'},
    {"quot", '"'},
    {"ldquo", '"'},
    {"rdquo", '"'},
    {"#39", '\''},
    {"39", '\''},
    {"#039", '\''},
    {"039", '\''},
    {"#146", '\''},
    {"146", '\''},
    {"apos", '\''},
    {"lsquo", '\''},
    {"rsquo", '\''},
    {"mdash", '-'},
    {"ndash", '-'},
}};

bool isAsciiAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

enum class Condition { kInitial, kTag, kScript, kStyle, kSelect, kComment, kCdata };

// The element words of the conditions that skip an element's content.
std::string_view skippedElementWord(Condition condition) {
  switch (condition) {
    case Condition::kScript:
      return "script";
    case Condition::kStyle:
      return "style";
    default:
      return "select";
  }
}

// A longest-match scanner over the markup with a stack of start conditions;
// each method consumes the input of one condition's rules.
class TextScanner : MarkupScanner<Condition> {
 public:
  explicit TextScanner(std::string_view markup)
      : MarkupScanner(markup, Condition::kInitial), ampersand_(markup, '&') {
    out_.reserve(markup.size());
  }

  std::string run() {
    while (pos_ < in_.size()) {
      switch (conditions_.current()) {
        case Condition::kInitial:
          scanInitial();
          break;
        case Condition::kTag:
          scanTag();
          break;
        case Condition::kScript:
        case Condition::kStyle:
        case Condition::kSelect:
          leaveAt(
              findCloseTagEnd(in_, pos_, skippedElementWord(conditions_.current()), lessThan_, greaterThan_));
          break;
        case Condition::kComment:
          leaveAt(findTextEnd(in_, pos_, "-->"));
          break;
        case Condition::kCdata:
          scanCdata();
          break;
      }
    }
    return std::move(out_);
  }

 private:
  void scanInitial() {
    // Everything up to the next "&" or "<" is copied as it stands.
    size_t next = std::min(lessThan_.find(pos_), ampersand_.find(pos_));
    if (next == std::string_view::npos) next = in_.size();
    out_.append(in_, pos_, next - pos_);
    pos_ = next;
    if (pos_ == in_.size()) return;
    if (in_[pos_] == '&') {
      scanEntity();
    } else {
      scanMarkupStart();
    }
  }

  // At "&": the longest of the entity rules, the generic reference rule and
  // the single character.
  void scanEntity() {
    // "&" "#"? [a-z0-9]{2,8} then one white space or ";", all consumed.
    size_t at = pos_ + 1;
    if (at < in_.size() && in_[at] == '#') ++at;
    size_t digitsStart = at;
    while (at < in_.size() && at - digitsStart <= 8 && isAsciiAlnum(in_[at])) ++at;
    size_t digits = at - digitsStart;
    size_t bestLength = 1;
    char bestOutput = '&';
    if (digits == 0) {  // no rule but the single character can match
      out_ += bestOutput;
      pos_ += bestLength;
      return;
    }
    for (const EntityRule& rule : kEntityRules) {
      if (!startsWithIgnoringCase(in_, pos_ + 1, rule.name)) continue;
      size_t end = pos_ + 1 + rule.name.size();
      size_t length = end - pos_ + (end < in_.size() && in_[end] == ';');
      if (length > bestLength) bestLength = length, bestOutput = rule.replacement;
    }
    if (digits >= 2 && digits <= 8 && at < in_.size() && (isScannerSpace(in_[at]) || in_[at] == ';')) {
      size_t length = at + 1 - pos_;
      if (length > bestLength) bestLength = length, bestOutput = ' ';
    }
    out_ += bestOutput;
    pos_ += bestLength;
  }

  // At "<": an element whose content is skipped, a comment, a CDATA section
  // or any other tag.
  void scanMarkupStart() {
    TagHead head = readTagHead(in_, pos_);
    for (Condition element : {Condition::kScript, Condition::kStyle, Condition::kSelect}) {
      size_t end = matchTagWord(in_, head, skippedElementWord(element), TagKind::kOpening, greaterThan_);
      if (end != std::string_view::npos) {
        pos_ = end;
        conditions_.enter(element);
        return;
      }
    }
    if (in_.compare(pos_, 4, "<!--") == 0) {
      pos_ += 4;
      conditions_.enter(Condition::kComment);
    } else if (in_.compare(pos_, 9, "<![CDATA[") == 0) {
      pos_ += 9;
      conditions_.enter(Condition::kCdata);
    } else {
      pos_ += 1;
      conditions_.enter(Condition::kTag);
    }
  }

  // The rest of a tag is dropped; its ">" becomes the one space the tag
  // stands for. A tag cut off by the end of the input leaves nothing.
  void scanTag() {
    size_t end = findTextEnd(in_, pos_, ">");
    if (end != std::string_view::npos) out_ += ' ';
    leaveAt(end);
  }

  // CDATA text is kept, except its line feeds.
  void scanCdata() {
    size_t end = findTextEnd(in_, pos_, "]]>");
    size_t stop = end == std::string_view::npos ? in_.size() : end - 3;
    for (size_t at = pos_; at < stop; ++at)
      if (in_[at] != '\n') out_ += in_[at];
    leaveAt(end);
  }

  std::string out_;
  NextByteFinder ampersand_;
};

}  // namespace

std::string htmlToText(std::string_view markup) { return TextScanner(markup).run(); }

}  // namespace brambel
