#include "formats/source_naming.h"

#include <unicode/uchar.h>

#include "formats/source_table.h"
#include "formats/text_lines.h"
#include "toolkit/ascii_case.h"
#include "toolkit/blank_text.h"
#include "toolkit/code_pages.h"

namespace brambel {
namespace {

// ASCII punctuation as the POSIX class has it (symbols such as "$" and "+"
// included), and Unicode punctuation beyond ASCII.
bool isPunctuation(char16_t c) {
  if (c < 0x80) return (c >= u'!' && c <= u'/') || (c >= u':' && c <= u'@') || (c >= u'[' && c <= u'`') ||
                       (c >= u'{' && c <= u'~');
  return u_ispunct(c);
}

bool nameTaken(const SourceTable& table, const std::u16string& name) {
  for (const std::u16string& identity : table.identities())
    if (equalsIgnoringAsciiCase(table.find(identity)->displayName(), name)) return true;
  return false;
}

}  // namespace

std::u16string uniqueSourceName(const std::u16string& proposed, const SourceTable& table,
                                const std::u16string& defaultName) {
  std::u16string kept;
  for (char16_t c : proposed)
    if (!isPunctuation(c)) kept += c;
  std::u16string name(trimmed(kept));
  if (name.empty()) name = defaultName.empty() ? u"Unknown Source" : defaultName;
  if (!nameTaken(table, name)) return name;
  for (int counter = 0;; ++counter) {
    std::u16string candidate = name + u"(" + toWide(std::to_string(counter), kCodePageUtf8) + u")";
    if (!nameTaken(table, candidate)) return candidate;
  }
}

}  // namespace brambel
