// brambel-cli fetch: one GET or POST as the program's one-shot page fetch
// makes it (gzip undone, cookies collected, redirects reported, not followed).
#include <iostream>
#include <limits>
#include <optional>
#include <string>

#include "cli/command.h"
#include "toolkit/code_pages.h"
#include "toolkit/fetch_page.h"

namespace brambel::cli {
namespace {

extern const CommandRegistration kFetch;

int runFetch(CommandContext& context) {
  ArgumentList& args = context.args;
  std::optional<long long> maxBytes = args.number("max-bytes");
  std::optional<std::string> post = args.option("post");
  std::optional<std::string> cookie = args.option("cookie");
  std::vector<std::string> positionals = args.positionals();
  if (!args.error().empty()) return usageError(kFetch, context.err, args.error());
  if (positionals.size() != 1) return usageError(kFetch, context.err, "expected one URL");
  if (maxBytes && *maxBytes > std::numeric_limits<uint32_t>::max())
    return usageError(kFetch, context.err, "--max-bytes is at most 4294967295");

  std::u16string url = toWide(positionals[0], kCodePageUtf8);
  std::u16string cookies = cookie ? toWide(*cookie, kCodePageUtf8) : u"";
  std::u16string postData = post ? toWide(*post, kCodePageUtf8) : u"";
  std::string body;
  int status = 0;
  bool fetched = fetchPage(url, body, static_cast<uint32_t>(maxBytes.value_or(0)), &cookies,
                           post ? &postData : nullptr, &status);
  context.out << body;
  context.out.flush();
  if (status != 0) context.err << "status: " << status << "\n";
  context.err << "cookies: " << toNarrow(cookies, kCodePageUtf8) << "\n";
  if (!fetched) {
    context.err << "brambel-cli: fetch failed: " << positionals[0] << "\n";
    return 1;
  }
  return 0;
}

const CommandRegistration kFetch{"fetch", "", "URL [--max-bytes N] [--post BODY] [--cookie STRING]",
                                 "fetch a page (gzip decoded, redirects not followed); the body goes to "
                                 "standard output, the status and the cookies it set to standard error",
                                 &runFetch};

}  // namespace
}  // namespace brambel::cli
