// brambel-cli categories: a library's category set (its "categories.zcat",
// else the program data's, else the built-in default), the built-in sets, and
// loading or saving a set file.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "app/source_types.h"
#include "cli/category_sources.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "formats/builtin_category_sets.h"
#include "formats/category_set_file.h"
#include "formats/library_categories.h"
#include "formats/source_table.h"
#include "formats/text_lines.h"
#include "toolkit/ascii_case.h"
#include "toolkit/code_pages.h"
#include "toolkit/fetch_page.h"

namespace brambel::cli {
namespace {

const char* viewName(int mode) { return mode == 1 ? "list" : mode == 2 ? "tiled" : "default"; }

int runList(const CategorySetChoice& choice, CommandContext& context) {
  std::optional<LoadedCategories> loaded = loadCategories(choice, context.err);
  if (!loaded) return 1;
  for (const Category& category : loaded->set.categories)
    context.out << utf8(category.name) << '\t' << category.references.size() << " sources\t"
                << viewName(category.viewMode) << '\n';
  return 0;
}

struct ShowArguments {
  CategorySetChoice choice;
  std::string name;
};

int runShow(const ShowArguments& args, CommandContext& context) {
  std::optional<LoadedCategories> loaded = loadCategories(args.choice, context.err);
  if (!loaded) return 1;
  std::u16string wanted = toWide(args.name, kCodePageUtf8);
  for (const Category& category : loaded->set.categories) {
    if (!equalsIgnoringAsciiCase(category.name, wanted)) continue;
    context.out << "category: " << utf8(category.name) << "\nview: " << viewName(category.viewMode) << '\n';
    for (const auto& reference : category.references) {
      bool known = loaded->table->find(reference) != nullptr;
      context.out << utf8(reference) << '\t' << (known ? utf8(loaded->table->nameOf(reference)) : "(no such source)")
                  << '\n';
    }
    return 0;
  }
  context.err << "brambel-cli: no category named \"" << args.name << "\"\n";
  return 1;
}

int runBuiltin(const int& resource, CommandContext& context) {
  std::optional<BuiltInSet> set = findBuiltInSet(resource);
  if (!set) {
    context.err << "brambel-cli: no built-in set " << resource << " (there are";
    for (const BuiltInSet& each : builtInSets()) context.err << ' ' << each.resourceId;
    context.err << ")\n";
    return 1;
  }
  context.out << set->text;
  return 0;
}

struct LoadArguments {
  std::optional<std::string> library;
  std::string source;
};

int runLoad(const LoadArguments& args, CommandContext& context) {
  std::optional<std::string> text;
  if (args.source.rfind("http://", 0) == 0 || args.source.rfind("https://", 0) == 0) {
    std::string body;
    if (fetchPage(toWide(args.source, kCodePageUtf8), body) && !body.empty()) text = std::move(body);
    else context.err << "brambel-cli: Error fetching categories from url: " << args.source << "\n";
  } else {
    text = readInput(args.source, context.err);
  }
  if (!text) return 1;

  CategorySet set;
  SourceDefinitions definitions;
  ReadCategorySet(toWide(*text, kCodePageUtf8), set, definitions);
  SourceTable table(builtInSourceTypes());
  table.BuildSourceTable(sourcesDirectory());
  for (const SourceDefinition& definition : definitions) table.AddDefinition(definition);
  std::filesystem::path directory = libraryDirectoryOf(args.library);
  if (!table.SaveSourceDirectory(sourcesDirectory()) || !saveLibraryCategories(set, directory, table)) {
    context.err << "brambel-cli: cannot write the categories of " << directory.string() << "\n";
    return 1;
  }
  context.out << "loaded " << set.categories.size() << " categories into " << directory.string() << "\n";
  return 0;
}

struct SaveArguments {
  CategorySetChoice choice;
  std::string file;
};

int runSave(const SaveArguments& args, CommandContext& context) {
  std::optional<LoadedCategories> loaded = loadCategories(args.choice, context.err);
  if (!loaded) return 1;
  if (args.file == "-") {
    context.out << utf8(FormatCategorySet(loaded->set, *loaded->table));
    return 0;
  }
  if (!WriteCategorySet(loaded->set, args.file, *loaded->table)) {
    context.err << "brambel-cli: cannot write " << args.file << "\n";
    return 1;
  }
  return 0;
}

const CommandRegistration kCategories([](CommandLine& line) {
  CLI::App& group = line.group("categories", "the category set of a library (or of --set FILE)");

  auto list =
      line.command(group, "list", "list the categories of a library's category set (or of --set FILE)", &runList);
  list.args->addOptions(list.command);

  auto show = line.command(group, "show", "show one category's sources and the names they resolve to", &runShow);
  show.args->choice.addOptions(show.command);
  show.command.add_option("NAME", show.args->name, "the category, case ignored")->required();

  auto builtin = line.command(group, "builtin", "print a built-in category set (2, 6, 114, 115 or 116)", &runBuiltin);
  builtin.command.add_option("RESOURCE", *builtin.args, "the number of the built-in set")->required();

  auto load = line.command(group, "load",
                           "replace a library's categories with a set file or URL, keeping its sources", &runLoad);
  load.command.add_option("--library", load.args->library, "the library folder (default: the default library)")
      ->type_name("DIR");
  load.command.add_option("SET", load.args->source, "the category set: a FILE or an http(s) URL")->required();

  auto save = line.command(
      group, "save", "write a library's category set with its user-defined sources to FILE (- for standard output)",
      &runSave);
  save.args->choice.addOptions(save.command);
  save.command.add_option("FILE", save.args->file, "where to write the set")->required();
});

}  // namespace
}  // namespace brambel::cli
