#pragma once

#include <string>

namespace brambel {

// Plain text of a piece of markup: script and style elements, comments and
// tags are removed without leaving a space; entity references are replaced
// (names the entity table does not know vanish, complete numeric references
// become their character). Runs in time linear in the text.
std::u16string stripMarkup(const std::u16string& text);

// The text without its script elements ("<script ...>" to "</script>", any case).
std::string removeScripts(const std::string& text);

// The text without its comments ("<!--" to "-->").
std::string removeComments(const std::string& text);

// The content of the first "<![CDATA[...]]>" section (content holding "]" is
// not recognised), else the text unchanged.
std::string unwrapCdata(const std::string& text);

}  // namespace brambel
