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

std::u16string thottbotPath(const std::u16string& query, const ParameterMap&) { return u"/?s=" + query; }

const EngineProfile kAltavista{
    u"altavista", u"Altavista", u"www.altavista.com", u"http://www.altavista.com/", {},
    {{u"terms", u"Additional Terms"}, {u"site", u"Domain to search through"}},
    {u"site", u"terms"}, {}, 2, &altavistaPath, &parseAltavistaPage};

const EngineProfile kSnipbites{
    u"snipbites", u"Snipbites", u"www.snipbites.com", u"http://www.snipbites.com/", {},
    {{u"terms", u"Additional Terms"}},
    {u"terms"}, {}, 1, &snipbitesPath, &parseSnipbitesPage};

const EngineProfile kGoogleBooks{
    u"google_books", u"Google Books", u"books.google.com", u"http://books.google.com/", {},
    {{u"terms", u"Additional Terms"}},
    {u"terms"}, {}, 1, &googleBooksPath, &parseGoogleBooksPage};

const EngineProfile kGoogleGroups{
    u"googlegroups", u"Google Groups", u"groups.google.com", u"http://groups.google.com/", {},
    {{u"groups", u"groups constraint (e.g., rec.video.desktop, or comp.sys.mac.* )"},
     {u"author", u"author constraint"},
     {u"subject", u"subject constraint"},
     {u"lang", u"language constraint (e.g. en=english, see http://groups.google.com/advanced_search)"},
     {u"terms", u"Additional terms"}},
    {}, {u"groups", u"author", u"subject", u"lang", u"terms"}, 5, &googleGroupsPath, &parseGoogleGroupsPage};

const EngineProfile kGoogleImages{
    u"googleimages", u"Google Images", u"images.google.com", u"http://images.google.com/", {},
    {{u"safesearch", u"1 if safe search, 0 if no safe. default/blank is SAFE"}, {u"terms", u"Additional terms"}},
    {}, {u"terms", u"safesearch"}, 0, &googleImagesPath, &parseGoogleImagesPage};

const EngineProfile kGooglePatents{
    u"google_patents", u"Google Patents", u"www.google.com", u"http://www.google.com/patents", {},
    {{u"terms", u"Additional Terms"},
     {u"grab_uspat",
      u"If set and is a number except 0, grab info from US Patent web site. This counts as an additional search "
      u"result."}},
    {u"terms"}, {}, 1, &googlePatentsPath, &parseGooglePatentsPage};

const EngineProfile kThottbot{
    u"thottbot", u"Thottbot", u"www.thottbot.com", u"http://www.thottbot.com/",
    u"Compendium of WoW Items, Recipes, Weapons and Armor",
    {{u"terms", u"Additional Terms"}},
    {u"terms"}, {}, 1, &thottbotPath, &parseThottbotPage};

const EngineProfile kGoogleScholar{
    u"google_scholar", u"Google Scholar", u"scholar.google.com", u"http://scholar.google.com/", {},
    {{u"terms", u"Additional Terms"},
     {u"publication", u"Publication"},
     {u"author", u"Author(s) space separated."},
     {u"subject", u"comma separated (bio,bus,chm,eng,med,phy,soc)"},
     {u"max_year", u"Max Year"},
     {u"min_year", u"Min Year"}},
    {u"terms", u"publication", u"author", u"subject"}, {}, 4, &googleScholarPath, &parseGoogleScholarPage,
    u"subject"};

}  // namespace

const std::vector<const EngineProfile*>& engineProfiles() {
  static const std::vector<const EngineProfile*> profiles{&kAltavista,    &kSnipbites,      &kGoogleBooks,
                                                          &kGoogleGroups, &kGoogleImages,   &kGooglePatents,
                                                          &kGoogleScholar, &kThottbot};
  return profiles;
}

const EngineProfile* findEngineProfile(std::u16string_view key) {
  for (const EngineProfile* profile : engineProfiles())
    if (profile->key == key) return profile;
  return nullptr;
}

}  // namespace brambel
