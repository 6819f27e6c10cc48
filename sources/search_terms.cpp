#include "sources/search_terms.h"

#include "toolkit/code_pages.h"
#include "toolkit/url_codec.h"

namespace brambel {

std::u16string joinWithBlank(const std::u16string& first, const std::u16string& second) {
  if (first.empty()) return second;
  if (second.empty()) return first;
  return first + u' ' + second;
}

std::u16string queryWithTerms(const std::u16string& query, const ParameterMap& parameters) {
  return joinWithBlank(query, parameterValue(parameters, u"terms"));
}

std::u16string encodedQueryWithTerms(const std::u16string& query, const ParameterMap& parameters) {
  return encodeUrl(queryWithTerms(query, parameters), kCodePageUtf8);
}

bool noEmptyAllowsEmptyQuery(const ParameterMap& parameters) {
  return !isParameterSet(parameters, u"noEmpty") || isParameterSet(parameters, u"terms");
}

}  // namespace brambel
