// brambel-cli inspect entities|strip|normalize|encode-url|decode-url|charset|date:
// one text helper each, for trying pages and headers by hand. Wide-text
// helpers read and print UTF-8.
#include <iostream>
#include <optional>
#include <string>

#include "cli/command.h"
#include "toolkit/code_page_converter.h"
#include "toolkit/text_utils.h"

namespace brambel::cli {
namespace {

extern const CommandRegistration kEntities;
extern const CommandRegistration kStrip;
extern const CommandRegistration kNormalize;
extern const CommandRegistration kEncodeUrl;
extern const CommandRegistration kDecodeUrl;
extern const CommandRegistration kCharset;
extern const CommandRegistration kDate;

// The one TEXT argument, or standard input when it is left out. Call after
// the command's options are taken; on failure `status` holds the exit status.
std::optional<std::string> takeText(CommandContext& context, const CommandRegistration& command, int& status) {
  auto words = context.args.positionals();
  if (!context.args.error().empty()) {
    status = usageError(command, context.err, context.args.error());
    return std::nullopt;
  }
  if (words.size() > 1) {
    status = usageError(command, context.err, "expected one TEXT argument, got " + std::to_string(words.size()));
    return std::nullopt;
  }
  if (words.size() == 1) return words[0];
  auto input = readInput(std::nullopt, context.err);
  if (!input) status = 1;
  return input;
}

std::u16string fromUtf8(const std::string& text) { return toWide(text, kCodePageUtf8); }
std::string toUtf8(const std::u16string& text) { return toNarrow(text, kCodePageUtf8); }

int runEntities(CommandContext& context) {
  int status = 0;
  auto text = takeText(context, kEntities, status);
  if (!text) return status;
  context.out << decodeEntities(*text) << "\n";
  return 0;
}

int runStrip(CommandContext& context) {
  int status = 0;
  auto text = takeText(context, kStrip, status);
  if (!text) return status;
  context.out << toUtf8(stripMarkup(fromUtf8(*text))) << "\n";
  return 0;
}

int runNormalize(CommandContext& context) {
  bool quotesSeparate = context.args.flag("quotes-separate");
  int status = 0;
  auto text = takeText(context, kNormalize, status);
  if (!text) return status;
  context.out << toUtf8(normalizeText(fromUtf8(*text), quotesSeparate)) << "\n";
  return 0;
}

int runEncodeUrl(CommandContext& context) {
  auto codePage = context.args.number("codepage");
  int status = 0;
  auto text = takeText(context, kEncodeUrl, status);
  if (!text) return status;
  int page = codePage.value_or(kCodePageUtf8);
  if (codePage && (*codePage > INT32_MAX || !CodePageConverter(page).valid())) {
    context.err << "brambel-cli: no converter for code page " << *codePage << "\n";
    return 1;
  }
  context.out << toUtf8(encodeUrl(fromUtf8(*text), page)) << "\n";
  return 0;
}

int runDecodeUrl(CommandContext& context) {
  int status = 0;
  auto text = takeText(context, kDecodeUrl, status);
  if (!text) return status;
  context.out << toUtf8(decodeUrl(fromUtf8(*text))) << "\n";
  return 0;
}

int runCharset(CommandContext& context) {
  int status = 0;
  auto text = takeText(context, kCharset, status);
  if (!text) return status;
  context.out << codePageForCharset(*text) << "\n";
  return 0;
}

int runDate(CommandContext& context) {
  int status = 0;
  auto text = takeText(context, kDate, status);
  if (!text) return status;
  context.out << parseHttpDate(fromUtf8(*text)) << "\n";
  return 0;
}

const CommandRegistration kEntities{"inspect", "entities", "[TEXT]",
                                    "decode character references in byte text (TEXT or standard input)",
                                    &runEntities};
const CommandRegistration kStrip{"inspect", "strip", "[TEXT]",
                                 "plain text of UTF-8 markup: scripts, styles, comments and tags removed",
                                 &runStrip};
const CommandRegistration kNormalize{"inspect", "normalize", "[TEXT] [--quotes-separate]",
                                     "fold separators as for indexing (apostrophes dropped)", &runNormalize};
const CommandRegistration kEncodeUrl{"inspect", "encode-url", "[TEXT] [--codepage N]",
                                     "form-encode a query value, bytes in code page N (default 65001)",
                                     &runEncodeUrl};
const CommandRegistration kDecodeUrl{"inspect", "decode-url", "[TEXT]", "undo percent and plus encoding",
                                     &runDecodeUrl};
const CommandRegistration kCharset{"inspect", "charset", "[NAME]",
                                   "the code page of a charset name, -1 when unknown", &runCharset};
const CommandRegistration kDate{"inspect", "date", "[TEXT]",
                                "seconds since 1970 of an HTTP date, 0 when none is found", &runDate};

}  // namespace
}  // namespace brambel::cli
