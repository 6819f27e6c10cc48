// brambel-cli import, export, opml export|import and feed add: results and
// feed subscriptions in and out of the formats other programs read.
#include <fstream>
#include <iostream>

#include "app/exchange_messages.h"
#include "cli/category_sources.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "cli/result_printing.h"
#include "formats/feed_adding.h"
#include "formats/library_categories.h"
#include "formats/library_export.h"
#include "formats/opml.h"
#include "formats/result_export.h"
#include "formats/result_import.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel::cli {
namespace {

std::u16string wide(const std::string& text) { return toWide(text, kCodePageUtf8); }

struct ImportArguments {
  CategorySetChoice choice;
  std::string file;
  bool json = false;
};

int runImport(const ImportArguments& args, CommandContext& context) {
  std::optional<LoadedCategories> categories = loadCategories(args.choice, context.err);
  if (!categories) return 1;
  std::optional<std::vector<SourceResult>> results = ImportResults(args.file, *categories->table);
  if (!results) {
    context.err << "brambel-cli: cannot read " << args.file << "\n";
    return 1;
  }
  printResults(*results, args.json, context.out);
  return 0;
}

struct ExportArguments {
  std::optional<std::string> library;
  std::string file;
};

int runExport(const ExportArguments& args, CommandContext& context) {
  std::filesystem::path directory = libraryDirectoryOf(args.library);
  LibraryStore library(directory, true);
  if (!library.isOpen()) {
    context.err << "brambel-cli: no library in " << directory.string() << "\n";
    return 1;
  }
  ExportRequest request;
  request.results = libraryExportResults(library);
  request.now = std::time(nullptr);
  SourceTable table;
  table.AddBuiltInSources();
  table.AddSourceFiles(sourcesDirectory());
  if (!ExportResults(args.file, request, table)) {
    context.err << "brambel-cli: cannot write " << args.file << "\n";
    return 1;
  }
  context.err << "exported " << request.results.size() << " documents\n";
  return 0;
}

struct OpmlArguments {
  CategorySetChoice choice;
  std::string file;
};

int runOpmlExport(const OpmlArguments& args, CommandContext& context) {
  std::optional<LoadedCategories> categories = loadCategories(args.choice, context.err);
  if (!categories) return 1;
  std::filesystem::path path(args.file);
  std::string text = toNarrow(writeOpml(categories->set, *categories->table, wide(path.filename().string())), kCodePageUtf8);
  // No trailing zero byte: XML readers take it for junk after the document.
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!(out << text) || !out.flush()) {
    context.err << "brambel-cli: cannot write " << args.file << "\n";
    return 1;
  }
  return 0;
}

int runOpmlImport(const OpmlArguments& args, CommandContext& context) {
  std::optional<std::string> text = readInput(args.file, context.err);
  if (!text) return 1;
  CategorySetChoice library = args.choice;
  library.setFile.reset();
  std::optional<LoadedCategories> categories = loadCategories(library, context.err);
  if (!categories) return 1;
  size_t before = categories->table->userDefinitions().size();
  if (!readOpml(categories->set, *categories->table, wide(*text))) {
    context.err << "brambel-cli: " << utf8(std::u16string(messages::kOpmlParseError.text)) << "\n";
    return 1;
  }
  if (!saveLibraryCategories(categories->set, categories->libraryDirectory, *categories->table) ||
      !categories->table->SaveSourceDirectory(sourcesDirectory())) {
    context.err << "brambel-cli: cannot save the categories of " << categories->libraryDirectory.string() << "\n";
    return 1;
  }
  context.out << (categories->table->userDefinitions().size() - before) << " feeds added; "
              << categories->set.categories.size() << " categories\n";
  return 0;
}

struct FeedArguments {
  CategorySetChoice choice;
  std::string url;
  std::optional<std::string> category;
  std::optional<std::string> name;
};

int runFeedAdd(const FeedArguments& args, CommandContext& context) {
  CategorySetChoice library = args.choice;
  library.setFile.reset();
  std::optional<LoadedCategories> categories = loadCategories(library, context.err);
  if (!categories) return 1;
  FeedAddOptions options;
  options.category = wide(args.category.value_or(""));
  options.sourcesDirectory = sourcesDirectory();
  if (args.name) options.askName = [&](const std::u16string&) { return std::optional(wide(*args.name)); };
  FeedAddOutcome outcome = addFeed(wide(args.url), *categories->table, categories->set, options);
  (outcome.status == FeedAddStatus::Added ? context.out : context.err) << utf8(outcome.message) << "\n";
  if (outcome.status != FeedAddStatus::Added) return 1;
  if (args.category && !saveLibraryCategories(categories->set, categories->libraryDirectory, *categories->table)) {
    context.err << "brambel-cli: cannot save the categories\n";
    return 1;
  }
  return 0;
}

const CommandRegistration kExchange([](CommandLine& line) {
  auto importArgs = std::make_shared<ImportArguments>();
  CLI::App& import = line.command(line.program(), "import",
                                  "print the results of a result set (.zset), an HTML page's links (.html, .htm) or a feed",
                                  [importArgs](CommandContext& context) { return runImport(*importArgs, context); });
  importArgs->choice.addOptions(import);
  import.add_option("FILE", importArgs->file, "the file to read")->required();
  import.add_flag("--json", importArgs->json, "print one JSON object instead of text");

  auto exportArgs = std::make_shared<ExportArguments>();
  CLI::App& exporter = line.command(line.program(), "export",
                                    "write the library's documents (at most 5000) as a result set, HTML page or RSS feed, "
                                    "by FILE's extension",
                                    [exportArgs](CommandContext& context) { return runExport(*exportArgs, context); });
  exporter.add_option("--library", exportArgs->library, "the library folder (default: the default library)")
      ->type_name("DIR");
  exporter.add_option("FILE", exportArgs->file, ".zset, .html or .htm, anything else RSS")->required();

  CLI::App& opml = line.group("opml", "feed subscriptions as OPML outlines");
  auto opmlExport = std::make_shared<OpmlArguments>();
  CLI::App& opmlOut = line.command(opml, "export", "write the categories' feeds as OPML",
                                   [opmlExport](CommandContext& context) { return runOpmlExport(*opmlExport, context); });
  opmlExport->choice.addOptions(opmlOut);
  opmlOut.add_option("FILE", opmlExport->file, "the OPML file to write")->required();
  auto opmlImport = std::make_shared<OpmlArguments>();
  CLI::App& opmlIn = line.command(opml, "import", "merge an OPML file's feeds into the library's categories and save them",
                                  [opmlImport](CommandContext& context) { return runOpmlImport(*opmlImport, context); });
  opmlIn.add_option("--library", opmlImport->choice.library, "the library folder (default: the default library)")
      ->type_name("DIR");
  opmlIn.add_option("FILE", opmlImport->file, "the OPML file (- for standard input)")->required();

  CLI::App& feed = line.group("feed", "feed sources");
  auto feedArgs = std::make_shared<FeedArguments>();
  CLI::App& add = line.command(feed, "add", "add the RSS or Atom feed at URL as a source",
                               [feedArgs](CommandContext& context) { return runFeedAdd(*feedArgs, context); });
  add.add_option("--library", feedArgs->choice.library, "the library folder (default: the default library)")
      ->type_name("DIR");
  add.add_option("--category", feedArgs->category, "the category that lists the new source")->type_name("NAME");
  add.add_option("--name", feedArgs->name, "the source's name (default: the feed's title)")->type_name("NAME");
  add.add_option("URL", feedArgs->url, "the feed's address (http://, https:// or feed://)")->required();
});

}  // namespace
}  // namespace brambel::cli
