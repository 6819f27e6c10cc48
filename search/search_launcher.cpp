#include "search/search_launcher.h"

#include <algorithm>

#include "search/item_to_result.h"

namespace brambel {

bool SearchesAllCategories(const std::vector<std::vector<std::u16string>>& categories, size_t selectedCategory,
                           bool batchFirstCategory) {
  return selectedCategory == 0 && !categories.empty() && (batchFirstCategory || categories[0].empty());
}

SearchLaunch SearchLauncher::Press(SearchRun& run, const SearchPress& press) {
  SearchLaunch launch;
  launch.terms = trimWhiteSpace(press.text);
  const bool command = ParseSearchCommand(launch.terms).has_value();
  const bool running = run.runningSourceCount() > 0;

  if (SearchesAllCategories(press.categories, press.selectedCategory, press.batchFirstCategory) && !command &&
      !IsTypedUrl(launch.terms)) {
    if (running) {
      run.StopSearch();
    } else if (launch.terms.empty() && !press.ctrl && run.RawResults().empty()) {
      // Nothing to search for and nothing shown: the press only refreshes.
      launch.action = SearchLaunch::Action::kRefreshViews;
    } else {
      run.SearchAllCategories(launch.terms, press.categories);
      launch.action = SearchLaunch::Action::kSearchAllCategories;
      launch.recordInHistory = !launch.terms.empty();
    }
    return launch;
  }

  const SearchMode mode = run.mode();
  if (mode == SearchMode::kFilter || mode == SearchMode::kPermanent || !running || press.ctrl || press.shift ||
      command) {
    static const std::vector<std::u16string> kNoSources;
    const std::vector<std::u16string>& sources =
        press.selectedCategory < press.categories.size() ? press.categories[press.selectedCategory] : kNoSources;
    launch.action = SearchLaunch::Action::kRunSearch;
    launch.newSearch = !press.ctrl;
    launch.multiplier = repeat_;
    launch.selectCategoryTab = true;
    launch.recordInHistory = !launch.terms.empty();
    run.RunSearch(launch.terms, launch.newSearch, launch.multiplier, sources);
    repeat_ = std::min(repeat_ + 1, kMaxRepeat);
    return launch;
  }

  run.StopSearch();
  return launch;
}

void SearchLauncher::TextEdited(SearchRun& run) {
  repeat_ = 1;
  run.SearchTextEdited();
}

}  // namespace brambel
