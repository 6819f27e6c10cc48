#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// brambel-cli's commands, on CLI11.
//
// Every command file adds its commands itself, from a static registration in
// that file, so a new command is a new file and touches no other:
//
//   namespace {
//   struct FetchArguments {
//     std::string url;
//     std::optional<uint32_t> maxBytes;
//   };
//
//   int runFetch(const FetchArguments& args, CommandContext& context) {
//     ...                      // writes to context.out / context.err
//     return 0;                // exit status: 0 done, 1 failed, 2 usage error
//   }
//
//   const CommandRegistration kFetch([](CommandLine& line) {
//     auto args = std::make_shared<FetchArguments>();
//     CLI::App& fetch = line.command(line.program(), "fetch", "fetch a page ...",
//                                    [args](CommandContext& context) { return runFetch(*args, context); });
//     fetch.add_option("URL", args->url, "the page")->required();
//     fetch.add_option("--max-bytes", args->maxBytes, "stop after N bytes");
//   });
//   }  // namespace
//
// A command of a group ("index add") is added under `line.group("index", ...)`;
// any file may add to any group. Options are parsed into the arguments object
// before the action runs; an action reports a usage error it finds itself
// with `context.usageError(...)`. `--help` is generated for the program, every
// group and every command from the options as declared, so every option
// needs a description and every value a type name (`->type_name("DIR")`, or
// the positional's own name).

namespace brambel::cli {

// What a running command writes to, and its place on the command line.
struct CommandContext {
  const CLI::App& command;
  std::ostream& out;
  std::ostream& err;

  // Writes the message and the command's usage to `err`; returns the exit
  // status of a usage error.
  int usageError(std::string_view message) const;
};

// What a command does once its whole line is parsed; answers the exit status.
using CommandAction = std::function<int(CommandContext&)>;

// The program's command tree with every registered command on it.
class CommandLine {
 public:
  CommandLine();
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  // `brambel-cli` itself: single commands ("fetch") and groups hang below it.
  CLI::App& program() { return program_; }
  // The group `name` below the program, made on first use (a later non-empty
  // description replaces an empty one).
  CLI::App& group(const std::string& name, const std::string& description);
  // Adds the command `name` below `parent` ("inspect" or the program).
  CLI::App& command(CLI::App& parent, const std::string& name, const std::string& description,
                    CommandAction action);

  // Parses `argv` and runs the chosen command: its exit status, 0 after
  // help, 2 for a usage error. Only the global options are applied here.
  int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

 private:
  CLI::App program_;
  std::vector<std::string> connectTo_;
  std::map<const CLI::App*, CommandAction> actions_;
};

// A file's commands, added to every CommandLine that is made.
struct CommandRegistration {
  explicit CommandRegistration(std::function<void(CommandLine&)> add);
};

// "brambel-cli inspect path [--nested] ... PATH [FILE]": how `command` is
// written, made from its declared options.
std::string usageOf(const CLI::App& command);

// Accepts a whole number of 0 or more (shown as N).
const CLI::Validator& nonNegativeNumber();

// The bytes of FILE, or of standard input when `path` is empty or "-".
// Returns nothing and writes a one-line message to `err` when it cannot be read.
std::optional<std::string> readInput(const std::optional<std::string>& path, std::ostream& err);

}  // namespace brambel::cli
