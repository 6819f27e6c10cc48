#pragma once

#include <string>
#include <string_view>

#include "toolkit/attributes.h"

namespace brambel {

// Reads an element out of raw markup by a path of steps such as
// "/html/body/table(3)" or "/tr/td(2)/a": each step names a tag (letters,
// digits, ':', '_', '-'; any case) and an optional 1-based index. Each step
// searches on from where the previous one stopped, counting only tags of its
// own name and skipping nested ones; an index of 0 skips the step.
//
// Returns the inner text of the element the last step found, which ends at the
// close tag of `endName` (when not empty) or else of the last step's name.
// With `nested` false the first such close tag ends it; with `nested` true
// opening tags of that name are counted so that nested elements stay inside.
// An element without a close tag runs to the end of `html`.
//
// `attributes`, when given, receives the attributes of the opening tags of the
// step names met on the way (the first value of a name stays).
//
// `rest`, when given, is set to the text after the element's close tag (empty
// when the element runs to the end). When the element found is a self-closing
// tag the answer is empty and `rest` is the text after that tag. When a step
// is not found the answer is empty and `rest` is left as it was. `rest` views
// into `html`, so `html` must outlive it; passing the previous `rest` back in
// as `html` walks the siblings of a list without copying:
//
//   std::string_view rows = table;
//   for (;;) {
//     size_t before = rows.size();
//     std::string row = findPath(rows, "/tr", {}, true, nullptr, &rows);
//     if (rows.size() == before) break;  // no further row: rest unchanged
//     ...
//   }
std::string findPath(std::string_view html, std::string_view path, std::string_view endName = {},
                     bool nested = false, AttributeMap* attributes = nullptr,
                     std::string_view* rest = nullptr);

}  // namespace brambel
