#include "toolkit/feed_scanner.h"

#include <algorithm>

#include "toolkit/blank_text.h"
#include "toolkit/markup_scanning.h"
#include "toolkit/tag_attribute.h"

namespace brambel {

namespace {

enum class Condition {
  kInitial,
  kRss,
  kRdf,
  kChannel,
  kSponsors,
  kItem,
  // The text elements of an item.
  kTitle,
  kDescription,
  kLink,
  kGuid,
  kPubDate,
  kImage,
  kSource,
};

struct TextElement {
  std::string_view word;  // lower case
  Condition condition;
};

constexpr TextElement kTextElements[] = {
    {"title", Condition::kTitle},
    {"description", Condition::kDescription},
    {"link", Condition::kLink},
    {"guid", Condition::kGuid},
    {"pubdate", Condition::kPubDate},
    {"image", Condition::kImage},
    {"brambel:source", Condition::kSource},
};

std::string_view elementWord(Condition condition) {
  for (const TextElement& element : kTextElements)
    if (element.condition == condition) return element.word;
  return {};
}

// A longest-match scanner over the feed with a stack of start conditions:
// the structure conditions look only at tags and drop all other text; the
// text conditions collect an item's element text in pieces.
class FeedScanner : MarkupScanner<Condition> {
 public:
  FeedScanner(std::string_view feed, std::vector<FeedItem>& items, std::vector<FeedItem>* sponsors)
      : MarkupScanner(feed, Condition::kInitial), items_(items), sponsors_(sponsors) {}

  void run() {
    while (pos_ < in_.size()) {
      Condition condition = conditions_.current();
      if (condition == Condition::kSource) {
        scanSource();
      } else if (condition >= Condition::kTitle) {
        scanText(condition);
      } else {
        scanStructure(condition);
      }
    }
  }

 private:
  // Tries the tag rule (word, kind) at the tag at `pos_`; on a match the tag
  // is consumed and its text kept in `tag_`.
  bool tagIs(TagHead head, std::string_view word, TagKind kind, bool delimited = false) {
    size_t end = matchTagWord(in_, head, word, kind, greaterThan_, delimited);
    if (end == std::string_view::npos) return false;
    tag_ = in_.substr(pos_, end - pos_);
    pos_ = end;
    return true;
  }

  bool tagIsSelfClosing() const { return tag_.size() >= 2 && tag_[tag_.size() - 2] == '/'; }

  void scanStructure(Condition condition) {
    size_t lessThan = lessThan_.find(pos_);
    if (lessThan == std::string_view::npos) {
      pos_ = in_.size();
      return;
    }
    pos_ = lessThan;
    TagHead head = readTagHead(in_, pos_);
    constexpr auto kOpen = TagKind::kOpening;
    constexpr auto kClose = TagKind::kClosing;
    switch (condition) {
      case Condition::kInitial:
        if (tagIs(head, "rss", kOpen)) return conditions_.enter(Condition::kRss);
        if (tagIs(head, "rdf:rdf", kOpen)) return conditions_.enter(Condition::kRdf);
        break;
      case Condition::kRss:
        if (tagIs(head, "channel", kOpen)) {
          inSponsors_ = false;
          return conditions_.enter(Condition::kChannel);
        }
        if (tagIs(head, "brambel:sponsors", kOpen)) {
          inSponsors_ = true;
          return conditions_.enter(Condition::kSponsors);
        }
        if (tagIs(head, "rss", kClose)) return conditions_.leave();
        break;
      case Condition::kChannel:
      case Condition::kSponsors:
      case Condition::kRdf:
        if (tagIs(head, "item", kOpen, true)) {
          item_ = FeedItem();
          return conditions_.enter(Condition::kItem);
        }
        if (condition == Condition::kChannel && tagIs(head, "channel", kClose)) return conditions_.leave();
        if (condition == Condition::kSponsors && tagIs(head, "brambel:sponsors", kClose))
          return conditions_.leave();
        if (condition == Condition::kRdf && tagIs(head, "rdf:rdf", kClose)) {
          inSponsors_ = false;
          return conditions_.leave();
        }
        break;
      case Condition::kItem:
        if (scanItemTag(head)) return;
        break;
      default:
        break;
    }
    pos_ += 1;  // a "<" no rule wants is dropped like any other text
  }

  bool scanItemTag(TagHead head) {
    for (const TextElement& element : kTextElements) {
      if (!tagIs(head, element.word, TagKind::kOpening)) continue;
      // A self-closing element is empty; entering it would swallow the
      // elements after it.
      if (!tagIsSelfClosing()) conditions_.enter(element.condition);
      return true;
    }
    if (tagIs(head, "enclosure", TagKind::kOpening)) {
      item_.enclosureUrl = tagAttributeValue(tag_, "url");
    } else if (tagIs(head, "media:content", TagKind::kOpening)) {
      if (equalsIgnoringAsciiCase<char>(tagAttributeValue(tag_, "medium"), "image") ||
          startsWithIgnoringCase<char>(tagAttributeValue(tag_, "type"), 0, "image"))
        item_.mediaUrl = tagAttributeValue(tag_, "url");
    } else if (tagIs(head, "media:thumbnail", TagKind::kOpening)) {
      item_.thumbnailUrl = tagAttributeValue(tag_, "url");
    } else if (tagIs(head, "item", TagKind::kClosing, true)) {
      finishItem();
    } else {
      return false;
    }
    return true;
  }

  void finishItem() {
    item_.link = std::string(trimmed(item_.link));
    item_.image = std::string(trimmed(item_.image));
    item_.guid = std::string(trimmed(item_.guid));
    if (!inSponsors_) {
      items_.push_back(std::move(item_));
    } else if (sponsors_) {
      sponsors_->push_back(std::move(item_));
    }
    item_ = FeedItem();
    conditions_.leave();
  }

  // Pieces of element text: each run up to a "<", and each "<" that does not
  // begin the element's close tag on its own.
  void scanText(Condition condition) {
    std::string_view piece;
    if (in_[pos_] == '<') {
      if (tagIs(readTagHead(in_, pos_), elementWord(condition), TagKind::kClosing))
        return conditions_.leave();
      piece = in_.substr(pos_++, 1);
    } else {
      size_t end = std::min(lessThan_.find(pos_), in_.size());
      piece = in_.substr(pos_, end - pos_);
      pos_ = end;
    }
    switch (condition) {
      case Condition::kTitle:
        item_.title += piece;
        break;
      case Condition::kDescription:
        item_.description += piece;
        break;
      case Condition::kLink:
        item_.link = piece;
        break;
      case Condition::kGuid:
        item_.guid = piece;
        break;
      case Condition::kPubDate:
        item_.pubDate = piece;
        break;
      case Condition::kImage:
        item_.image = piece;
        break;
      default:
        break;
    }
  }

  // A source name is a run without "<" that starts and ends with a non-space
  // character and is at least two characters long; anything else is dropped.
  void scanSource() {
    if (in_[pos_] == '<') {
      if (tagIs(readTagHead(in_, pos_), "brambel:source", TagKind::kClosing)) return conditions_.leave();
      ++pos_;
      return;
    }
    size_t end = std::min(lessThan_.find(pos_), in_.size());
    std::string_view run = in_.substr(pos_, end - pos_);
    pos_ = end;
    size_t first = 0;
    while (first < run.size() && isScannerSpace(run[first])) ++first;
    size_t last = run.size();
    while (last > first && isScannerSpace(run[last - 1])) --last;
    if (last - first >= 2) item_.sources.emplace_back(run.substr(first, last - first));
  }

  std::vector<FeedItem>& items_;
  std::vector<FeedItem>* sponsors_;
  std::string_view tag_;  // the text of the last tag a rule consumed
  FeedItem item_;
  bool inSponsors_ = false;
};

}  // namespace

void extractFeedItems(std::string_view feed, std::vector<FeedItem>& items, std::vector<FeedItem>* sponsors) {
  FeedScanner(feed, items, sponsors).run();
}

}  // namespace brambel
