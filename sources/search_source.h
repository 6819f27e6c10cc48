#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "sources/parameter_map.h"
#include "sources/result_item.h"
#include "sources/search_cursor.h"
#include "sources/source_info.h"

namespace brambel {

// A place the program can search: a web engine, a feed, a web service, an
// arbitrary URL or the library. One object per configured source, shared by
// every search thread; everything that belongs to one run lives in the
// cursor that BeginSearch returns. No operation lets an error escape:
// BeginSearch answers nullptr and NextPage sets the cursor's error flag.
class SearchSource {
 public:
  virtual ~SearchSource() = default;

  // Starts a run for `query`. `overrides` replace the source's parameters for
  // this run only; `noCacheWrite` asks that nothing be written to any shared
  // web cache. nullptr when the run cannot start.
  virtual std::unique_ptr<SearchCursor> BeginSearch(const std::u16string& query, int maxResults,
                                                    const ParameterMap& overrides,
                                                    bool noCacheWrite) = 0;
  // Fetches the next page and appends its groups. False when the run is over
  // (no further page, the maximum reached, or an error).
  virtual bool NextPage(SearchCursor& cursor, ResultGroups& groups) = 0;
  // Ends the run and releases whatever the cursor holds.
  virtual void EndSearch(std::unique_ptr<SearchCursor> cursor) { cursor.reset(); }

  virtual SourceInfo GetInfo() const = 0;
  // The key followed by the source's identifying parameter values; how
  // category sets, the source table and results refer to the source.
  virtual std::u16string GetInstanceId() const { return GetKey(); }
  virtual std::u16string GetKey() const = 0;
  virtual bool IsSearchable() const { return true; }
  virtual bool AcceptsEmptyQuery() const { return false; }
  // False for sources answered from the library: the per-source maximum of a
  // search does not cut them and searches over all categories skip them.
  virtual bool IsInternetSource() const { return true; }

  const ParameterMap& parameters() const { return parameters_; }
  ParameterMap& parameters() { return parameters_; }
  const std::u16string& displayName() const { return displayName_; }
  void setDisplayName(std::u16string name) { displayName_ = std::move(name); }
  const std::u16string& description() const { return description_; }
  void setDescription(std::u16string text) { description_ = std::move(text); }

 protected:
  // The instance id made of `key` and a suffix: each of `listed` adds "/" and
  // its value (the "/" even when the parameter is absent), each of `optional`
  // adds "/" and its value only when present. The suffix is kept only when it
  // is longer than `minimumSuffix` characters, which defaults to the number of
  // listed parameters, so a source without parameter values is its bare key.
  std::u16string MakeInstanceId(std::u16string_view key,
                                std::initializer_list<std::u16string_view> listed,
                                std::initializer_list<std::u16string_view> optional = {},
                                int minimumSuffix = -1) const;

  // The display name with the service label: "name (label)", or the label alone.
  std::u16string LabelledDisplayName(std::u16string_view label) const;

 private:
  ParameterMap parameters_;
  std::u16string displayName_;
  std::u16string description_;
};

}  // namespace brambel
