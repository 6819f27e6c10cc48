#pragma once

#include <string_view>
#include <vector>

#include "toolkit/page_link.h"

namespace brambel {

// Appends one PageLink per anchor of `page` (an "<a " tag with its "</a>")
// to `links`, in page order, also those with an empty href. Anchors inside
// scripts, comments and CDATA sections are not links; an anchor without its
// close tag is dropped.
void extractLinks(std::string_view page, std::vector<PageLink>& links);

}  // namespace brambel
