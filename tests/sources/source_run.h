#pragma once

// Drives a source the way a search thread does, and reads what it returned.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sources/search_source.h"
#include "toolkit/code_pages.h"

namespace brambel::testing {

struct SourceRun {
  bool started = false;    // BeginSearch gave a cursor
  int pages = 0;           // NextPage calls that answered true
  int errorFlag = 0;
  std::u16string url;      // the cursor's URL
  ResultGroups groups;     // every group of every page, in order

  // The items of every group named `name`, in order.
  std::vector<ResultItem> items(std::u16string_view name = u"search") const {
    std::vector<ResultItem> found;
    for (const ResultGroup& group : groups)
      if (group.name == name) found.insert(found.end(), group.items.begin(), group.items.end());
    return found;
  }
};

inline SourceRun runSource(SearchSource& source, const std::u16string& query, int maxResults = 100,
                           const ParameterMap& overrides = {}) {
  SourceRun run;
  std::unique_ptr<SearchCursor> cursor = source.BeginSearch(query, maxResults, overrides, false);
  if (!cursor) return run;
  run.started = true;
  // Nothing here bounds the run: a source that pages for ever fails the test.
  for (ResultGroups page; source.NextPage(*cursor, page); page.clear()) {
    ++run.pages;
    for (ResultGroup& group : page) run.groups.push_back(std::move(group));
    if (run.pages == 1000) {
      ADD_FAILURE() << "the run never ends";
      break;
    }
  }
  run.url = cursor->GetUrl();
  run.errorFlag = cursor->errorFlag;
  source.EndSearch(std::move(cursor));
  return run;
}

inline std::string utf8(const std::u16string& text) { return toNarrow(text, kCodePageUtf8); }
inline std::u16string wide(const std::string& text) { return toWide(text, kCodePageUtf8); }

// The value of an item's attribute, as UTF-8; "<absent>" when it has none.
inline std::string attribute(const ResultItem& item, std::u16string_view name) {
  const std::u16string* value = item.find(name);
  return value ? utf8(*value) : "<absent>";
}

// A source's parameters from narrow pairs.
inline ParameterMap parameters(std::initializer_list<std::pair<std::string, std::string>> pairs) {
  ParameterMap map;
  for (const auto& [name, value] : pairs) map[wide(name)] = wide(value);
  return map;
}

}  // namespace brambel::testing
