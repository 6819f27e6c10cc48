#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brambel::cli {

// The words of one command after its name, taken apart as the command asks
// for its options. Options are written "--name VALUE" or "--name=VALUE";
// whatever is not taken as an option is a positional argument.
class ArgumentList {
 public:
  explicit ArgumentList(std::vector<std::string> words);

  // Takes "--name" if present.
  bool flag(std::string_view name);
  // Takes the last "--name VALUE"; records an error when the value is missing.
  std::optional<std::string> option(std::string_view name);
  // Takes every "--name VALUE", in order.
  std::vector<std::string> options(std::string_view name);
  // Takes "--name N" as a non-negative integer; records an error when it is not one.
  std::optional<long long> number(std::string_view name);

  // The remaining words. Any word left that looks like an option ("--x")
  // is recorded as an unknown option.
  std::vector<std::string> positionals();

  // Empty when every option was understood, else a one-line message.
  const std::string& error() const { return error_; }

 private:
  std::vector<std::string> words_;
  std::string error_;
};

// The bytes of FILE, or of standard input when `path` is empty or "-".
// Returns nothing and writes a one-line message to `err` when it cannot be read.
std::optional<std::string> readInput(const std::optional<std::string>& path, std::ostream& err);

struct CommandContext {
  ArgumentList& args;
  std::ostream& out;
  std::ostream& err;
};

using CommandFunction = int (*)(CommandContext&);

// A command makes itself known from its own file:
//   static const CommandRegistration kFetch{"fetch", "", "URL [--max-bytes N]", "...", &runFetch};
// `name` is empty for a command that is its group ("fetch"), else the second
// word ("inspect text").
struct CommandRegistration {
  CommandRegistration(std::string group, std::string name, std::string usage, std::string summary,
                      CommandFunction run);
  std::string group;
  std::string name;
  std::string usage;
  std::string summary;
  CommandFunction run;
};

const std::vector<const CommandRegistration*>& registeredCommands();

// Writes "usage: brambel-cli ..." for `command` and returns the exit status
// for a usage error.
int usageError(const CommandRegistration& command, std::ostream& err, std::string_view message);

// The positional words, between `least` and `most` of them; nothing (with
// `status` set to the usage error's) when an option was not understood or
// the count is wrong.
std::optional<std::vector<std::string>> takeWords(CommandContext& context, const CommandRegistration& command,
                                                  size_t least, size_t most, int& status);

}  // namespace brambel::cli
