#include "sources/engine_sources.h"

#include <boost/regex.hpp>

#include "sources/engine_pages.h"
#include "sources/page_text.h"
#include "toolkit/guarded_regex.h"
#include "toolkit/code_pages.h"
#include "toolkit/url_codec.h"

namespace brambel {
namespace {

// Appends "KEY" and the encoded parameter when the parameter is set.
void appendSet(std::u16string& path, const ParameterMap& parameters, std::u16string_view name, std::u16string_view key) {
  if (isParameterSet(parameters, name)) path += std::u16string(key) + encodeUrlUtf8(parameterValue(parameters, name));
}

std::u16string altavistaPath(const std::u16string& query, const ParameterMap& parameters) {
  std::u16string path = u"/web/results?itag=ody&kgs=0&kls=0&q=" + query;
  if (isParameterSet(parameters, u"site"))
    path += u"&aqmode=s&rc=dmn&swd=" + encodeUrlUtf8(parameterValue(parameters, u"site")) + u"&aqa=" + query;
  return path;
}

std::u16string snipbitesPath(const std::u16string& query, const ParameterMap&) { return u"/search.php?kp=" + query; }

std::u16string googleBooksPath(const std::u16string& query, const ParameterMap&) {
  return u"/books?as_brr=0&btnG=Search&q=" + query;
}

std::u16string googleGroupsPath(const std::u16string& query, const ParameterMap& parameters) {
  std::u16string path = u"/groups/search?qt_s=Search+Groups&num=20&q=" + query;
  appendSet(path, parameters, u"groups", u"&as_ugroup=");
  appendSet(path, parameters, u"author", u"&as_uauthors=");
  appendSet(path, parameters, u"subject", u"&as_usubject=");
  appendSet(path, parameters, u"lang", u"&lr=");
  return path;
}

std::u16string googleImagesPath(const std::u16string& query, const ParameterMap& parameters) {
  std::u16string safe = parameterValue(parameters, u"safesearch");
  std::erase_if(safe, [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; });
  return u"/images?q=" + query + u"&gbv=1&safe=" + (safe == u"0" ? u"off" : u"on");
}

std::u16string googlePatentsPath(const std::u16string& query, const ParameterMap&) {
  return u"/patents?btnG=Search+Patents&q=" + query;
}

std::u16string googleScholarPath(const std::u16string& query, const ParameterMap& parameters) {
  std::u16string path = u"/scholar?hl=en&lr=&btnG=Search&q=" + query;
  appendSet(path, parameters, u"publication", u"&as_publication=");
  appendSet(path, parameters, u"author", u"&as_sauthors=");
  if (isParameterSet(parameters, u"subject")) {
    path += u"&as_allsubj=some";
    static const boost::regex kSubjectCode("[a-z0-9]+", boost::regex::perl);
    std::string subjects = toUtf8(parameterValue(parameters, u"subject"));
    guardedForEachMatch(subjects, kSubjectCode, [&](const boost::smatch& code) {
      path += u"&as_subj=" + fromUtf8(code.str());
      return true;
    });
  }
  appendSet(path, parameters, u"max_year", u"&as_yhi=");
  appendSet(path, parameters, u"min_year", u"&as_ylo=");
  return path;
}

const EngineProfile kAltavista{
    .key = u"altavista",
    .label = u"Altavista",
    .host = u"www.altavista.com",
    .homeUrl = u"http://www.altavista.com/",
    .parameterDescriptions = {{u"terms", u"Additional Terms"}, {u"site", u"Domain to search through"}},
    .listedIdParameters = {u"site", u"terms"},
    .minimumSuffix = 2,
    .buildPath = &altavistaPath,
    .parsePage = &parseAltavistaPage,
};

const EngineProfile kSnipbites{
    .key = u"snipbites",
    .label = u"Snipbites",
    .host = u"www.snipbites.com",
    .homeUrl = u"http://www.snipbites.com/",
    .parameterDescriptions = {{u"terms", u"Additional Terms"}},
    .listedIdParameters = {u"terms"},
    .minimumSuffix = 1,
    .buildPath = &snipbitesPath,
    .parsePage = &parseSnipbitesPage,
};

const EngineProfile kGoogleBooks{
    .key = u"google_books",
    .label = u"Google Books",
    .host = u"books.google.com",
    .homeUrl = u"http://books.google.com/",
    .parameterDescriptions = {{u"terms", u"Additional Terms"}},
    .listedIdParameters = {u"terms"},
    .minimumSuffix = 1,
    .buildPath = &googleBooksPath,
    .parsePage = &parseGoogleBooksPage,
};

const EngineProfile kGoogleGroups{
    .key = u"googlegroups",
    .label = u"Google Groups",
    .host = u"groups.google.com",
    .homeUrl = u"http://groups.google.com/",
    .parameterDescriptions = {{u"groups", u"groups constraint (e.g., rec.video.desktop, or comp.sys.mac.* )"},
                              {u"author", u"author constraint"},
                              {u"subject", u"subject constraint"},
                              {u"lang", u"language constraint (e.g. en=english, see http://groups.google.com/advanced_search)"},
                              {u"terms", u"Additional terms"}},
    .optionalIdParameters = {u"groups", u"author", u"subject", u"lang", u"terms"},
    .minimumSuffix = 5,
    .buildPath = &googleGroupsPath,
    .parsePage = &parseGoogleGroupsPage,
};

const EngineProfile kGoogleImages{
    .key = u"googleimages",
    .label = u"Google Images",
    .host = u"images.google.com",
    .homeUrl = u"http://images.google.com/",
    .parameterDescriptions = {{u"safesearch", u"1 if safe search, 0 if no safe. default/blank is SAFE"},
                              {u"terms", u"Additional terms"}},
    .optionalIdParameters = {u"terms", u"safesearch"},
    .minimumSuffix = 0,
    .buildPath = &googleImagesPath,
    .parsePage = &parseGoogleImagesPage,
};

const EngineProfile kGooglePatents{
    .key = u"google_patents",
    .label = u"Google Patents",
    .host = u"www.google.com",
    .homeUrl = u"http://www.google.com/patents",
    .parameterDescriptions = {{u"terms", u"Additional Terms"},
                              {u"grab_uspat",
                               u"If set and is a number except 0, grab info from US Patent web site. This counts as "
                               u"an additional search result."}},
    .listedIdParameters = {u"terms"},
    .minimumSuffix = 1,
    .buildPath = &googlePatentsPath,
    .parsePage = &parseGooglePatentsPage,
};

const EngineProfile kGoogleScholar{
    .key = u"google_scholar",
    .label = u"Google Scholar",
    .host = u"scholar.google.com",
    .homeUrl = u"http://scholar.google.com/",
    .parameterDescriptions = {{u"terms", u"Additional Terms"},
                              {u"publication", u"Publication"},
                              {u"author", u"Author(s) space separated."},
                              {u"subject", u"comma separated (bio,bus,chm,eng,med,phy,soc)"},
                              {u"max_year", u"Max Year"},
                              {u"min_year", u"Min Year"}},
    .listedIdParameters = {u"terms", u"publication", u"author", u"subject"},
    .minimumSuffix = 4,
    .buildPath = &googleScholarPath,
    .parsePage = &parseGoogleScholarPage,
    .blankFreeIdParameter = u"subject",
};

}  // namespace

const std::vector<const EngineProfile*>& engineProfiles() {
  static const std::vector<const EngineProfile*> profiles{&kAltavista,    &kSnipbites,      &kGoogleBooks,
                                                          &kGoogleGroups, &kGoogleImages,   &kGooglePatents,
                                                          &kGoogleScholar};
  return profiles;
}

const EngineProfile* findEngineProfile(std::u16string_view key) {
  for (const EngineProfile* profile : engineProfiles())
    if (profile->key == key) return profile;
  return nullptr;
}

}  // namespace brambel
