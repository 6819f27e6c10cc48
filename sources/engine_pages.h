#pragma once

#include <string>

#include "sources/parameter_map.h"
#include "sources/result_item.h"

namespace brambel {

// Parsers of the result pages of the engines read through the shared HTTP
// cycle (see engine_sources.h). Each reads a page laid out the way the engine
// laid out its results, appends a "search" group (and a "sponsors" group where
// the engine shows sponsored links) and sets the next link, emptied when the
// page has none. A page of another layout yields an empty group.

// Results are the divisions of class or id "res" (anchor, then a span with
// the snippet), sponsored links the anchors of the division of class
// "Sponsored"; the next page is the anchor labelled "Next".
void parseAltavistaPage(const std::string& page, const ParameterMap& parameters, ResultGroups& groups,
                        std::u16string& nextLink);

// Each table of the inner body holds one result, its anchor in
// "/tr/td(2)/table/tr/td(2)/a" and the snippet after it.
void parseSnipbitesPage(const std::string& page, const ParameterMap& parameters, ResultGroups& groups,
                        std::u16string& nextLink);

// Results are the blocks of the division "results_container", each ended by
// three (or two) closing divisions: the "/h2/a" anchor, then the snippet in a
// font element. The next page is the last anchored cell of class "b" after
// the "navbar".
void parseGoogleBooksPage(const std::string& page, const ParameterMap& parameters, ResultGroups& groups,
                          std::u16string& nextLink);

// Results are the rows of the list table in the third table's second cell;
// titles are passed as "override_title". The next page is the anchor "Next".
void parseGoogleGroupsPage(const std::string& page, const ParameterMap& parameters, ResultGroups& groups,
                           std::u16string& nextLink);

// Results are the script records dyn.Img("page link", ..., "thumbnail", ...,
// "title", ...): the first address field is the result, the "?q=tbn:" field
// its preview image, the last field that is not an address its title.
void parseGoogleImagesPage(const std::string& page, const ParameterMap& parameters, ResultGroups& groups,
                           std::u16string& nextLink);

// Results are the rows of the table in the body's second division: the
// anchor to the patent, the first font element as snippet, the patent number
// ("US PAT. n") in the second. With "grab_uspat" set to a non-zero number each
// patent also yields its page on the patent office's full-text server.
void parseGooglePatentsPage(const std::string& page, const ParameterMap& parameters, ResultGroups& groups,
                            std::u16string& nextLink);

// Results are the paragraphs of the body that hold an anchor (in a span, or
// directly), the font elements after it the snippet. The next page is the
// anchor labelled "Next".
void parseGoogleScholarPage(const std::string& page, const ParameterMap& parameters, ResultGroups& groups,
                            std::u16string& nextLink);

}  // namespace brambel
