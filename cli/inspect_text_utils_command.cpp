// brambel-cli inspect entities|strip|normalize|encode-url|decode-url|charset|date:
// one text helper each, for trying pages and headers by hand. Wide-text
// helpers read and print UTF-8.
#include <cstdint>
#include <iostream>
#include <optional>
#include <functional>
#include <memory>
#include <string>

#include "cli/command.h"
#include "toolkit/code_page_converter.h"
#include "toolkit/text_utils.h"

namespace brambel::cli {
namespace {

struct TextArguments {
  std::optional<std::string> text;
  bool quotesSeparate = false;
  std::optional<long long> codePage;
};

std::u16string fromUtf8(const std::string& text) { return toWide(text, kCodePageUtf8); }
std::string toUtf8(const std::u16string& text) { return toNarrow(text, kCodePageUtf8); }

// Turns the argument text, or standard input when it is left out, into what
// the command prints; answers nothing after writing its own message.
using Transform = std::function<std::optional<std::string>(const TextArguments&, const std::string&, std::ostream&)>;

int printTransformed(const TextArguments& args, const Transform& transform, CommandContext& context) {
  std::optional<std::string> text = args.text ? args.text : readInput(std::nullopt, context.err);
  if (!text) return 1;
  std::optional<std::string> result = transform(args, *text, context.err);
  if (!result) return 1;
  context.out << *result << "\n";
  return 0;
}

std::optional<std::string> encodeUrlText(const TextArguments& args, const std::string& text, std::ostream& err) {
  const long long codePage = args.codePage.value_or(kCodePageUtf8);
  if (codePage > INT32_MAX || !CodePageConverter(static_cast<int>(codePage)).valid()) {
    err << "brambel-cli: no converter for code page " << codePage << "\n";
    return std::nullopt;
  }
  return toUtf8(encodeUrl(fromUtf8(text), static_cast<int>(codePage)));
}

// A command of one text helper: its arguments and the command, for its own options.
struct TextCommand {
  std::shared_ptr<TextArguments> args;
  CLI::App& command;
};

TextCommand addTextCommand(CommandLine& line, const std::string& name, const std::string& argument,
                           const std::string& description, Transform transform) {
  auto args = std::make_shared<TextArguments>();
  CLI::App& command = line.command(line.group("inspect", ""), name, description,
                                   [args, transform = std::move(transform)](CommandContext& context) {
                                     return printTransformed(*args, transform, context);
                                   });
  command.add_option(argument, args->text, "the text (default: standard input)");
  return {args, command};
}

const CommandRegistration kTextUtilities([](CommandLine& line) {
  auto add = [&line](const std::string& name, const std::string& argument, const std::string& description,
                     Transform transform) {
    return addTextCommand(line, name, argument, description, std::move(transform));
  };
  add("entities", "TEXT", "decode character references in byte text (TEXT or standard input)",
      [](const TextArguments&, const std::string& text, std::ostream&) { return decodeEntities(text); });
  add("strip", "TEXT", "plain text of UTF-8 markup: scripts, styles, comments and tags removed",
      [](const TextArguments&, const std::string& text, std::ostream&) {
        return toUtf8(stripMarkup(fromUtf8(text)));
      });
  TextCommand normalize =
      add("normalize", "TEXT", "fold separators as for indexing (apostrophes dropped)",
          [](const TextArguments& args, const std::string& text, std::ostream&) {
            return toUtf8(normalizeText(fromUtf8(text), args.quotesSeparate));
          });
  normalize.command.add_flag("--quotes-separate", normalize.args->quotesSeparate, "treat double quotes as separators, dropping them");
  TextCommand encode =
      add("encode-url", "TEXT", "form-encode a query value, bytes in code page N (default 65001)", &encodeUrlText);
  encode.command.add_option("--codepage", encode.args->codePage, "the code page of the encoded bytes")
      ->type_name("N")
      ->check(nonNegativeNumber());
  add("decode-url", "TEXT", "undo percent and plus encoding",
      [](const TextArguments&, const std::string& text, std::ostream&) { return toUtf8(decodeUrl(fromUtf8(text))); });
  add("charset", "NAME", "the code page of a charset name, -1 when unknown",
      [](const TextArguments&, const std::string& name, std::ostream&) {
        return std::to_string(codePageForCharset(name));
      });
  add("date", "TEXT", "seconds since 1970 of an HTTP date, 0 when none is found",
      [](const TextArguments&, const std::string& text, std::ostream&) {
        return std::to_string(parseHttpDate(fromUtf8(text)));
      });
});

}  // namespace
}  // namespace brambel::cli
