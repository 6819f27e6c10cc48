// brambel-cli inspect entities|strip|normalize|encode-url|decode-url|charset|date:
// one text helper each, for trying pages and headers by hand. Wide-text
// helpers read and print UTF-8.
#include <cstdint>
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

// Takes the one TEXT argument, or standard input when it is left out, and
// prints what `transform` makes of it. Call after the command's own options
// are taken. `transform` answers nothing after writing its own message.
template <typename Transform>
int printTransformed(CommandContext& context, const CommandRegistration& command, Transform transform) {
  auto words = context.args.positionals();
  if (!context.args.error().empty()) return usageError(command, context.err, context.args.error());
  if (words.size() > 1) {
    return usageError(command, context.err, "expected one TEXT argument, got " + std::to_string(words.size()));
  }
  auto text = words.size() == 1 ? std::optional<std::string>(words[0]) : readInput(std::nullopt, context.err);
  if (!text) return 1;
  std::optional<std::string> result = transform(*text);
  if (!result) return 1;
  context.out << *result << "\n";
  return 0;
}

std::u16string fromUtf8(const std::string& text) { return toWide(text, kCodePageUtf8); }
std::string toUtf8(const std::u16string& text) { return toNarrow(text, kCodePageUtf8); }

int runEntities(CommandContext& context) {
  return printTransformed(context, kEntities, [](const std::string& text) { return decodeEntities(text); });
}

int runStrip(CommandContext& context) {
  return printTransformed(context, kStrip,
                          [](const std::string& text) { return toUtf8(stripMarkup(fromUtf8(text))); });
}

int runNormalize(CommandContext& context) {
  bool quotesSeparate = context.args.flag("quotes-separate");
  return printTransformed(context, kNormalize, [quotesSeparate](const std::string& text) {
    return toUtf8(normalizeText(fromUtf8(text), quotesSeparate));
  });
}

int runEncodeUrl(CommandContext& context) {
  auto codePage = context.args.number("codepage");
  return printTransformed(context, kEncodeUrl, [&](const std::string& text) -> std::optional<std::string> {
    if (codePage && (*codePage > INT32_MAX || !CodePageConverter(static_cast<int>(*codePage)).valid())) {
      context.err << "brambel-cli: no converter for code page " << *codePage << "\n";
      return std::nullopt;
    }
    return toUtf8(encodeUrl(fromUtf8(text), static_cast<int>(codePage.value_or(kCodePageUtf8))));
  });
}

int runDecodeUrl(CommandContext& context) {
  return printTransformed(context, kDecodeUrl,
                          [](const std::string& text) { return toUtf8(decodeUrl(fromUtf8(text))); });
}

int runCharset(CommandContext& context) {
  return printTransformed(context, kCharset,
                          [](const std::string& name) { return std::to_string(codePageForCharset(name)); });
}

int runDate(CommandContext& context) {
  return printTransformed(context, kDate,
                          [](const std::string& text) { return std::to_string(parseHttpDate(fromUtf8(text))); });
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
