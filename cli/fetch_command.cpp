// brambel-cli fetch: one GET or POST as the program's one-shot page fetch
// makes it (gzip undone, cookies collected, redirects reported, not followed).
#include <iostream>
#include <optional>
#include <string>

#include "cli/command.h"
#include "toolkit/code_pages.h"
#include "toolkit/fetch_page.h"

namespace brambel::cli {
namespace {

struct FetchArguments {
  std::string url;
  uint32_t maxBytes = 0;
  std::optional<std::string> post;
  std::optional<std::string> cookie;
};

int runFetch(const FetchArguments& args, CommandContext& context) {
  std::u16string url = toWide(args.url, kCodePageUtf8);
  std::u16string cookies = args.cookie ? toWide(*args.cookie, kCodePageUtf8) : u"";
  std::u16string postData = args.post ? toWide(*args.post, kCodePageUtf8) : u"";
  std::string body;
  int status = 0;
  bool fetched = fetchPage(url, body, args.maxBytes, &cookies, args.post ? &postData : nullptr, &status);
  context.out << body;
  context.out.flush();
  if (status != 0) context.err << "status: " << status << "\n";
  context.err << "cookies: " << toNarrow(cookies, kCodePageUtf8) << "\n";
  if (!fetched) {
    context.err << "brambel-cli: fetch failed: " << args.url << "\n";
    return 1;
  }
  return 0;
}

const CommandRegistration kFetch([](CommandLine& line) {
  auto args = std::make_shared<FetchArguments>();
  CLI::App& fetch = line.command(line.program(), "fetch",
                                 "fetch a page (gzip decoded, redirects not followed); the body goes to standard "
                                 "output, the status and the cookies it set to standard error",
                                 [args](CommandContext& context) { return runFetch(*args, context); });
  fetch.add_option("--max-bytes", args->maxBytes, "stop reading after N bytes (0: no limit)")->type_name("N");
  fetch.add_option("--post", args->post, "send BODY as a form POST instead of a GET")->type_name("BODY");
  fetch.add_option("--cookie", args->cookie, "the Cookie header to send")->type_name("STRING");
  fetch.add_option("URL", args->url, "the page to fetch")->required();
});

}  // namespace
}  // namespace brambel::cli
