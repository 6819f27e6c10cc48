#pragma once

#include <string>
#include <vector>

#include "search/search_run.h"

namespace brambel {

// One press of the search command, as the window sees it.
struct SearchPress {
  std::u16string text;  // the search field, as typed
  bool ctrl = false;    // held at the moment of the command
  bool shift = false;
  // The categories of the set, each as its source ids, and the selected one.
  std::vector<std::vector<std::u16string>> categories;
  size_t selectedCategory = 0;
  // The library setting: the first category always searches every category.
  bool batchFirstCategory = false;
};

// What a press did, for the parts the search run does not own.
struct SearchLaunch {
  enum class Action {
    kStop,                 // the running search was stopped
    kRunSearch,            // the selected category was searched (or a command run, a URL loaded)
    kSearchAllCategories,  // every category was searched
    kRefreshViews,         // nothing to search: the views are to be refreshed
  };
  Action action = Action::kStop;
  std::u16string terms;           // the trimmed text that was searched for
  bool newSearch = true;          // kRunSearch: false keeps the results and adds to them
  int multiplier = 1;             // kRunSearch: results asked per source, in maxSourceResults
  bool selectCategoryTab = false; // the window shows the selected category's tab
  bool recordInHistory = false;   // the terms go into the search history
};

// The search command: decides between stopping, a new search and more
// results, and starts it on the run. The window forwards the text and the
// key states; the launcher keeps the repeat counter.
//
// On the first category, when batchFirstCategory is set or that category has
// no sources of its own, a press searches every category (or stops the
// running search). Otherwise a press searches the selected category when the
// view filters or shows the library (modes 1 and 2), when nothing runs, when
// Ctrl or Shift is held, or for a "//" command; a press without those stops
// the running search. Ctrl asks for more results: the results are kept and
// added to. Each press that searches asks for as many results per source as
// the repeat counter says (1, then 2, 3, 4, at most 5) until the text is edited.
class SearchLauncher {
 public:
  static constexpr int kMaxRepeat = 5;

  SearchLaunch Press(SearchRun& run, const SearchPress& press);
  // The search field was edited: the counter starts over and a loaded view
  // turns to filtering what it holds (or to the library when it holds nothing).
  void TextEdited(SearchRun& run);

  int repeatCounter() const { return repeat_; }

 private:
  int repeat_ = 1;
};

// True when a press on `selectedCategory` searches every category.
bool SearchesAllCategories(const std::vector<std::vector<std::u16string>>& categories, size_t selectedCategory,
                           bool batchFirstCategory);

}  // namespace brambel
