// brambel-cli batch, run-startup and open: the library's text commands, run
// against a library opened as the desktop opens it.
#include <iostream>

#include "app/library_commands.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "cli/library_command_host.h"
#include "cli/library_session.h"
#include "cli/result_printing.h"
#include "formats/raw_results_file.h"
#include "toolkit/code_pages.h"

namespace brambel::cli {
namespace {

struct LibraryArguments {
  std::optional<std::string> library;
  bool yes = false;
  bool json = false;
  long long timeout = 120;
};

void addLibraryOptions(CLI::App& command, LibraryArguments& args) {
  command.add_option("--library", args.library, "the library folder (default: the start-up library)")->type_name("DIR");
  command.add_flag("--yes", args.yes, "answer Yes to the program's questions");
  command.add_flag("--json", args.json, "print one JSON object instead of text");
  command.add_option("--timeout", args.timeout, "stop the searches after S seconds (default 120)")
      ->type_name("S")
      ->check(nonNegativeNumber());
}

// Opens the library, runs `work` with its commands, waits for the searches
// it started and prints what they and the commands loaded.
int withCommands(const LibraryArguments& args, CommandContext& context,
                 const std::function<bool(LibraryCommands&)>& work) {
  SessionOptions options;
  options.library = args.library;
  options.answerYes = args.yes;
  std::unique_ptr<LibrarySession> session = LibrarySession::Open(options, context.err);
  if (!session) return 1;
  CTesserin2Doc& document = session->document();
  LibraryCommandHost host(document, context.err);
  CliPrompter prompter(context.err, args.yes, {});
  ProgramSettings settings = document.application().settings();
  LibraryCommands commands(host, settings, prompter, host);
  if (!work(commands)) return 1;
  if (!document.WaitForSearch(std::chrono::seconds(args.timeout))) {
    document.StopSearch();
    context.err << "brambel-cli: stopped after " << args.timeout << " s; sources still running were left out\n";
  }
  printResults(host.Results(), args.json, context.out);
  return 0;
}

struct BatchArguments {
  LibraryArguments library;
  bool restore = false;
  std::vector<std::string> terms;
};

int runBatch(const BatchArguments& args, CommandContext& context) {
  std::string terms;
  for (const auto& word : args.terms) terms += (terms.empty() ? "" : " ") + word;
  return withCommands(args.library, context, [&](LibraryCommands& commands) {
    if (args.restore) {
      if (commands.RestoreBatch()) return true;
      context.err << "brambel-cli: the library holds no batch results\n";
      return false;
    }
    return commands.BatchLoad(toWide(terms, kCodePageUtf8));
  });
}

struct OpenArguments {
  LibraryArguments library;
  std::string target;
};

const CommandRegistration kBatch([](CommandLine& line) {
  auto batchArgs = std::make_shared<BatchArguments>();
  CLI::App& batch = line.command(line.program(), "batch",
                                 "search every category at once, recording the results in raw_results.zset; with "
                                 "--restore print the last batch's results",
                                 [batchArgs](CommandContext& context) { return runBatch(*batchArgs, context); });
  addLibraryOptions(batch, batchArgs->library);
  batch.add_flag("--restore", batchArgs->restore, "print the last batch's results instead of searching");
  batch.add_option("TERMS", batchArgs->terms, "the search terms");

  auto startupArgs = std::make_shared<LibraryArguments>();
  CLI::App& startup = line.command(line.program(), "run-startup",
                                   "run the library's startup URL or the startup commands of its categories",
                                   [startupArgs](CommandContext& context) {
                                     return withCommands(*startupArgs, context, [](LibraryCommands& commands) {
                                       commands.RunStartupCommands(true);
                                       return true;
                                     });
                                   });
  addLibraryOptions(startup, *startupArgs);

  auto openArgs = std::make_shared<OpenArguments>();
  CLI::App& open = line.command(line.program(), "open",
                                "open a file or URL as the desktop does: a feed address, a result set, a category set "
                                "or a source file",
                                [openArgs](CommandContext& context) {
                                  return withCommands(openArgs->library, context, [&](LibraryCommands& commands) {
                                    commands.OpenDocumentFile(toWide(openArgs->target, kCodePageUtf8));
                                    return true;
                                  });
                                });
  addLibraryOptions(open, openArgs->library);
  open.add_option("TARGET", openArgs->target, "FILE or URL")->required();
});

}  // namespace
}  // namespace brambel::cli
