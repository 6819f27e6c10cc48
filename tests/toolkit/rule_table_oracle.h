#pragma once

#include <boost/regex.hpp>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brambel::testing {

// A slow but plainly correct reading of a scanner's rule table, to check the
// hand-written scanners against: at each position every rule of the current
// start condition is tried as a regular expression anchored there (letters
// in either case); the longest match wins, the earlier rule on a tie, and
// its action runs on the matched text.
class RuleTableOracle {
 public:
  using Action = std::function<void(std::string_view matched)>;

  void addRule(int condition, const std::string& pattern, Action action) {
    if (rules_.size() <= static_cast<size_t>(condition)) rules_.resize(condition + 1);
    rules_[condition].push_back(
        {boost::regex(pattern, boost::regex::perl | boost::regex::icase), std::move(action)});
  }

  void enter(int condition) { stack_.push_back(condition); }
  void leave() { stack_.pop_back(); }

  // Runs the rules over `input` from condition 0; false when no rule matched
  // somewhere (a gap in the table).
  bool run(const std::string& input) {
    stack_.assign(1, 0);
    for (auto pos = input.cbegin(); pos != input.cend();) {
      const Rule* best = nullptr;
      long bestLength = 0;
      for (const Rule& rule : rules_[stack_.back()]) {
        boost::smatch match;
        if (boost::regex_search(pos, input.cend(), match, rule.pattern, boost::match_continuous) &&
            match.length(0) > bestLength) {
          best = &rule;
          bestLength = match.length(0);
        }
      }
      if (!best) return false;
      best->action(std::string_view(&*pos, bestLength));
      pos += bestLength;
    }
    return true;
  }

 private:
  struct Rule {
    boost::regex pattern;
    Action action;
  };
  std::vector<std::vector<Rule>> rules_;
  std::vector<int> stack_;
};

}  // namespace brambel::testing
