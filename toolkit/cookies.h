#pragma once

#include <string>

namespace brambel {

// The program keeps cookies itself, as one string per conversation.
//
// Collected form: for each Set-Cookie line of a response, in order, its value
// up to and including the first ";" (a value without one gets one added), with
// nothing between entries: "a=1;b=2;". Attributes (path, domain, expiry) are
// dropped.
//
// Merged form, the one sent back in a Cookie header: every pair written as
// name "=" value "; ", one pair per name.

// Empties `cookies`, then appends the cookies set by the raw response headers
// (lines separated by CR LF; header names compared without case).
void collectCookies(const std::u16string& headers, std::u16string& cookies);

// Folds `collected` into `inUse`, a collected cookie replacing an older one of
// the same name; `collected` then holds the merged form. Only pairs written
// name=value; with no blank inside are taken over. The order of the merged
// pairs carries no meaning.
void mergeCookies(const std::u16string& inUse, std::u16string& collected);

}  // namespace brambel
