#include "sources/engine_source.h"

#include "sources/search_terms.h"

namespace brambel {

SourceInfo EngineSource::GetInfo() const {
  SourceInfo info = HttpSearchSource::GetInfo();
  info.displayName = LabelledDisplayName(profile_.label);
  if (info.description.empty()) info.description = profile_.about;
  info.homeUrl = profile_.homeUrl;
  for (const auto& [name, text] : profile_.parameterDescriptions) info.parameterDescriptions[name] = text;
  return info;
}

std::u16string EngineSource::GetInstanceId() const {
  auto idValue = [&](const std::u16string& name) {
    std::u16string value = parameterValue(parameters(), name);
    if (name == profile_.blankFreeIdParameter) std::erase(value, u' ');
    return u"/" + value;
  };
  std::u16string suffix;
  for (const std::u16string& name : profile_.listedIdParameters) suffix += idValue(name);
  for (const std::u16string& name : profile_.optionalIdParameters)
    if (parameters().count(name)) suffix += idValue(name);
  if (suffix.size() > static_cast<size_t>(profile_.minimumSuffix)) return profile_.key + suffix;
  return profile_.key;
}

std::u16string EngineSource::BuildRequestPath(HttpSearchCursor& cursor) {
  return profile_.buildPath(encodedQueryWithTerms(cursor.query, cursor.parameters), cursor.parameters);
}

void EngineSource::ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse&,
                             HttpSearchCursor& cursor, const std::string&) {
  profile_.parsePage(page, cursor.parameters, groups, cursor.nextLink);
}

}  // namespace brambel
