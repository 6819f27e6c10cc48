#include "toolkit/path_query.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "toolkit/tag_pattern.h"

namespace brambel {

namespace {

struct PathStep {
  std::string_view name;
  int index = 1;
};

bool isStepNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' ||
         c == '_' || c == '-';
}

// Steps written "/NAME" or "/NAME(INDEX)", one right after the other; the
// path ends at the first character that does not start a step.
std::vector<PathStep> parsePath(std::string_view path) {
  std::vector<PathStep> steps;
  size_t pos = 0;
  while (pos < path.size() && path[pos] == '/') {
    size_t nameStart = ++pos;
    while (pos < path.size() && isStepNameChar(path[pos])) ++pos;
    PathStep step{path.substr(nameStart, pos - nameStart)};
    size_t digits = pos + 1;
    while (digits < path.size() && path[digits] >= '0' && path[digits] <= '9') ++digits;
    if (pos < path.size() && path[pos] == '(' && digits > pos + 1 && digits < path.size() &&
        path[digits] == ')') {
      long long index = 0;
      for (size_t i = pos + 1; i < digits; ++i) index = std::min<long long>(index * 10 + (path[i] - '0'), INT_MAX);
      step.index = static_cast<int>(index);
      pos = digits + 1;
    }
    steps.push_back(step);
  }
  return steps;
}

enum class StepOutcome { kFound, kSelfClosing, kNotFound };

// Walks to the `index`-th tag of the step's name at depth 0, from `position`.
// Tags of the name are counted with a depth that a close tag raises and an
// opening tag lowers, so that an element's own nested elements are passed
// over, and a stray close tag at depth 0 counts as an occurrence.
StepOutcome walkStep(std::string_view html, const PathStep& step, size_t& position,
                     AttributeMap* attributes) {
  TagPattern pattern(html, step.name);
  int count = 0;
  long long depth = 0;
  while (count < step.index) {
    auto tag = pattern.findNext(position);
    if (!tag) return StepOutcome::kNotFound;
    if (depth == 0) ++count;
    position = tag->end;
    if (tag->closing) {
      ++depth;
      continue;
    }
    if (attributes) parseAttributes(*attributes, tag->attributeText);
    if (!tag->selfClosing) {
      --depth;
    } else if (depth == 0 && count == step.index) {
      // A self-closing element has no content to answer; an earlier
      // self-closing sibling only counts as one occurrence.
      return StepOutcome::kSelfClosing;
    }
  }
  return StepOutcome::kFound;
}

}  // namespace

std::string findPath(std::string_view html, std::string_view path, std::string_view endName, bool nested,
                     AttributeMap* attributes, std::string_view* rest) {
  std::vector<PathStep> steps = parsePath(path);
  if (steps.empty()) return {};

  size_t position = 0;
  for (const PathStep& step : steps) {
    if (step.index <= 0) continue;
    switch (walkStep(html, step, position, attributes)) {
      case StepOutcome::kFound:
        break;
      case StepOutcome::kSelfClosing:
        if (rest) *rest = html.substr(position);
        return {};
      case StepOutcome::kNotFound:
        return {};
    }
  }

  // The element runs to the close tag that balances it (or, not nested, to
  // the first close tag of the end name).
  TagPattern end(html, endName.empty() ? steps.back().name : endName);
  long long depth = 0;
  for (size_t from = position;;) {
    auto tag = end.findNext(from);
    if (!tag) break;
    from = tag->end;
    if (tag->closing) {
      if (depth == 0) {
        if (rest) *rest = html.substr(tag->end);
        return std::string(html.substr(position, tag->start - position));
      }
      --depth;
    } else if (nested && !tag->selfClosing) {
      ++depth;
    }
  }
  if (rest) *rest = html.substr(html.size());
  return std::string(html.substr(position));
}

}  // namespace brambel
