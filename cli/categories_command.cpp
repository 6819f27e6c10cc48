// brambel-cli categories: a library's category set (its "categories.zcat",
// else the program data's, else the built-in default), the built-in sets, and
// loading or saving a set file.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "cli/category_sources.h"
#include "cli/command.h"
#include "cli/source_catalog.h"
#include "formats/builtin_category_sets.h"
#include "formats/category_set_file.h"
#include "formats/library_categories.h"
#include "formats/source_table.h"
#include "formats/text_lines.h"
#include "toolkit/fetch_page.h"
#include "toolkit/code_pages.h"

namespace brambel::cli {
namespace {

extern const CommandRegistration kList;
extern const CommandRegistration kShow;
extern const CommandRegistration kBuiltin;
extern const CommandRegistration kLoad;
extern const CommandRegistration kSave;

const char kOptionsUsage[] = "[--library DIR] [--set FILE]";

std::string utf8(const std::u16string& text) { return toNarrow(text, kCodePageUtf8); }

const char* viewName(int mode) { return mode == 1 ? "list" : mode == 2 ? "tiled" : "default"; }

int runList(CommandContext& context) {
  std::optional<LoadedCategories> loaded = loadCategories(context.args, context.err);
  if (!context.args.error().empty()) return usageError(kList, context.err, context.args.error());
  if (!context.args.positionals().empty()) return usageError(kList, context.err, "no arguments expected");
  if (!loaded) return 1;
  for (const Category& category : loaded->set.categories)
    context.out << utf8(category.name) << '\t' << category.references.size() << " sources\t"
                << viewName(category.viewMode) << '\n';
  return 0;
}

int runShow(CommandContext& context) {
  std::optional<LoadedCategories> loaded = loadCategories(context.args, context.err);
  std::vector<std::string> names = context.args.positionals();
  if (!context.args.error().empty()) return usageError(kShow, context.err, context.args.error());
  if (names.size() != 1) return usageError(kShow, context.err, "expected one category name");
  if (!loaded) return 1;
  std::u16string wanted = toWide(names[0], kCodePageUtf8);
  for (const Category& category : loaded->set.categories) {
    if (!equalsIgnoringCase(category.name, wanted)) continue;
    context.out << "category: " << utf8(category.name) << "\nview: " << viewName(category.viewMode) << '\n';
    for (const auto& reference : category.references) {
      bool known = loaded->table->find(reference) != nullptr;
      context.out << utf8(reference) << '\t' << (known ? utf8(loaded->table->nameOf(reference)) : "(no such source)")
                  << '\n';
    }
    return 0;
  }
  context.err << "brambel-cli: no category named \"" << names[0] << "\"\n";
  return 1;
}

int runBuiltin(CommandContext& context) {
  std::vector<std::string> words = context.args.positionals();
  if (!context.args.error().empty()) return usageError(kBuiltin, context.err, context.args.error());
  if (words.size() != 1) return usageError(kBuiltin, context.err, "expected one resource number");
  std::optional<BuiltInSet> set;
  try {
    set = findBuiltInSet(std::stoi(words[0]));
  } catch (const std::exception&) {
  }
  if (!set) {
    context.err << "brambel-cli: no built-in set " << words[0] << " (there are";
    for (const BuiltInSet& each : builtInSets()) context.err << ' ' << each.resourceId;
    context.err << ")\n";
    return 1;
  }
  context.out << set->text;
  return 0;
}

int runLoad(CommandContext& context) {
  std::optional<std::string> library = context.args.option("library");
  std::vector<std::string> files = context.args.positionals();
  if (!context.args.error().empty()) return usageError(kLoad, context.err, context.args.error());
  if (files.size() != 1) return usageError(kLoad, context.err, "expected one category set FILE");
  std::optional<std::string> text;
  if (files[0].rfind("http://", 0) == 0 || files[0].rfind("https://", 0) == 0) {
    std::string body;
    if (fetchPage(toWide(files[0], kCodePageUtf8), body) && !body.empty()) text = std::move(body);
    else context.err << "brambel-cli: Error fetching categories from url: " << files[0] << "\n";
  } else {
    text = readInput(files[0], context.err);
  }
  if (!text) return 1;

  CategorySet set;
  SourceDefinitions definitions;
  ReadCategorySet(toWide(*text, kCodePageUtf8), set, definitions);
  SourceTable table(sourceRegistry());
  table.BuildSourceTable(sourcesDirectory());
  for (auto& [name, definition] : definitions) table.AddDefinition(definition);
  std::filesystem::path directory = libraryDirectoryOf(library);
  if (!table.SaveSourceDirectory(sourcesDirectory()) || !saveLibraryCategories(set, directory, table)) {
    context.err << "brambel-cli: cannot write the categories of " << directory.string() << "\n";
    return 1;
  }
  context.out << "loaded " << set.categories.size() << " categories into " << directory.string() << "\n";
  return 0;
}

int runSave(CommandContext& context) {
  std::optional<LoadedCategories> loaded = loadCategories(context.args, context.err);
  std::vector<std::string> files = context.args.positionals();
  if (!context.args.error().empty()) return usageError(kSave, context.err, context.args.error());
  if (files.size() != 1) return usageError(kSave, context.err, "expected one output FILE");
  if (!loaded) return 1;
  if (files[0] == "-") {
    context.out << utf8(FormatCategorySet(loaded->set, *loaded->table));
    return 0;
  }
  if (!WriteCategorySet(loaded->set, files[0], *loaded->table)) {
    context.err << "brambel-cli: cannot write " << files[0] << "\n";
    return 1;
  }
  return 0;
}

const CommandRegistration kList{"categories", "list", kOptionsUsage,
                                "list the categories of a library's category set (or of --set FILE)", &runList};
const CommandRegistration kShow{"categories", "show", std::string("NAME ") + kOptionsUsage,
                                "show one category's sources and the names they resolve to", &runShow};
const CommandRegistration kBuiltin{"categories", "builtin", "RESOURCE",
                                   "print a built-in category set (2, 6, 114, 115 or 116)", &runBuiltin};
const CommandRegistration kLoad{"categories", "load", "FILE|URL [--library DIR]",
                                "replace a library's categories with a set file or URL, keeping its sources",
                                &runLoad};
const CommandRegistration kSave{"categories", "save", std::string("FILE ") + kOptionsUsage,
                                "write a library's category set with its user-defined sources to FILE (- for "
                                "standard output)",
                                &runSave};

}  // namespace
}  // namespace brambel::cli
