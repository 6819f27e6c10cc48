#include "app/library_commands.h"

#include "app/command_tokens.h"
#include "app/exchange_messages.h"
#include "formats/builtin_category_sets.h"
#include "formats/category_import.h"
#include "formats/library_categories.h"
#include "formats/raw_results_file.h"
#include "formats/result_import.h"
#include "formats/result_set_file.h"
#include "formats/text_lines.h"
#include "toolkit/ascii_case.h"
#include "toolkit/blank_text.h"
#include "toolkit/code_pages.h"
#include "toolkit/fetch_page.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

constexpr uint32_t kSeedAllResults = 1000;

std::filesystem::path pathOf(const std::u16string& text) { return std::filesystem::path(toNarrow(text, kCodePageUtf8)); }

// Fetched startup text: a feed, a page's links, or a result set.
std::vector<SourceResult> resultsOfText(const std::string& text, const SourceTable& table) {
  if (text.find("<rss") != std::string::npos || text.find("<feed") != std::string::npos) return importFeed(text, table);
  if (text.find("<a ") != std::string::npos || text.find("<A ") != std::string::npos) return importHtmlLinks(text);
  return parseResultSet(text, table);
}

}  // namespace

LibraryCommands::LibraryCommands(CommandHost& host, ProgramSettings& settings, Prompter& prompter,
                                 CommandListener& listener)
    : host_(host), settings_(settings), prompter_(prompter), listener_(listener) {
  RegisterSearchFieldCommands(commands_);
}

void LibraryCommands::RunStartupCommands(bool isDefault) {
  std::u16string url(trimmed(host_.startupUrl()));
  if (url.empty()) {
    const std::vector<std::u16string>& lines = host_.categories().startupCommands;
    for (size_t i = 0; i < lines.size(); ++i) RunStartupLine(lines[i], static_cast<int>(i), isDefault);
    if (!lines.empty()) host_.SwitchToLoadMode();
  } else if (url.starts_with(u"file://")) {
    std::filesystem::path file = pathOf(url.substr(7));
    if (file.is_relative()) file = host_.libraryDirectory() / file;
    if (auto results = ImportResults(file, host_.sources())) host_.ShowResults(std::move(*results), true);
  } else if (url.starts_with(u"http")) {
    std::string text;
    if (fetchPage(url, text)) host_.ShowResults(resultsOfText(text, host_.sources()), true);
  }
}

void LibraryCommands::RunStartupLine(const std::u16string& line, int index, bool isDefault) {
  if (isDefault && line.starts_with(u"//seedall ")) {
    StartSourceCommand(line.substr(10), index, true, true);
  } else if (line.starts_with(u"//seed ")) {
    StartSourceCommand(line.substr(7), index, true, false);
  } else if (line.starts_with(u"//source ")) {
    StartSourceCommand(line.substr(9), index, false, false);
  } else if (line.starts_with(u"http")) {
    if (std::optional<SourceResult> stored = host_.StoredResult(line)) {
      host_.ShowResults({std::move(*stored)}, false);
    } else {
      StartSourceCommand(u"url url=\"" + line + u"\"", index, false, false);
    }
  } else if (line.starts_with(u"//batchload")) {
    BatchLoad(std::u16string(trimmed(std::u16string_view(line).substr(11))));
  } else if (line.starts_with(u"//restoreorload")) {
    if (HasRawResults(host_.libraryDirectory())) RestoreBatch();
    else BatchLoad(std::u16string(trimmed(std::u16string_view(line).substr(15))));
  } else if (line.starts_with(u"//restore")) {
    RestoreBatch();
  }
}

void LibraryCommands::StartSourceCommand(const std::u16string& rest, int index, bool skipKnown, bool unthrottled) {
  std::optional<SourceCommand> command = parseSourceCommand(tokenizeCommandLine(rest));
  if (!command) return;
  // The thread shares the source with the table, so replacing the categories cannot free it.
  SourceMap sources = host_.sources().sources();
  auto found = sources.find(command->source);
  if (found == sources.end()) return;
  SearchThreadParams params;
  params.source = found->second;
  params.overrides = std::move(command->parameters);
  params.maxResults = static_cast<int>(host_.maxSourceResults());
  if (unthrottled && host_.maxSourceResults() <= kSeedAllResults) params.maxResults = kSeedAllResults;
  params.startIndex = index;
  params.skipKnown = skipKnown;
  params.unthrottled = unthrottled;
  host_.StartSource(std::move(params));
}

void LibraryCommands::RegisterSearchFieldCommands(SearchCommandMap& commands) {
  commands.Register(u"debug", [this](const std::u16string&) { listener_.OpenDebugWindow(); });
  commands.Register(u"revert", [this](const std::u16string&) {
    CategorySet set;
    SourceDefinitions definitions;
    readLibraryCategories(host_.libraryDirectory(), host_.programDataDirectory(), set, definitions);
    host_.ReplaceCategories(std::move(set), std::move(definitions));
    listener_.CategoriesReplaced();
  });
  auto highlight = [this](uint32_t value) {
    return [this, value](const std::u16string&) {
      settings_.termHighlighting = value;
      listener_.TermHighlightingChanged(value);
    };
  };
  commands.Register(u"insight", highlight(64));
  commands.Register(u"blindness", highlight(0));
  commands.Register(u"ceremony", [this](const std::u16string&) { ReplaceWithBuiltInSet(2); });
  commands.Register(u"transmission", [this](const std::u16string&) { ReplaceWithBuiltInSet(6); });
  commands.Register(u"load", [this](const std::u16string& name) {
    std::filesystem::path file = pathOf(name + u".zcat");
    // A name, not a path: it never reaches outside the two directories.
    if (file.has_parent_path() || name.empty()) return;
    for (const auto& directory : {host_.libraryDirectory(), host_.programDataDirectory()}) {
      if (std::filesystem::is_regular_file(directory / file)) return LoadCategorySetFile(directory / file);
    }
  });
  commands.Register(u"srcrebuild", [this](const std::u16string&) { host_.RebuildSourceIndex(); });
}

bool LibraryCommands::RunSearchFieldCommand(const std::u16string& text) {
  std::optional<SearchCommandLine> command = ParseSearchCommand(text);
  return command && commands_.Run(*command);
}

void LibraryCommands::ReplaceWithBuiltInSet(int resourceId) {
  CategorySet set;
  SourceDefinitions definitions;
  if (!LoadBuiltInSet(resourceId, set, definitions)) return;
  host_.ReplaceCategories(std::move(set), std::move(definitions));
  listener_.CategoriesReplaced();
}

void LibraryCommands::LoadCategorySetFile(const std::filesystem::path& path) {
  std::optional<std::string> text = readTextFile(path);
  if (!text) return;
  CategorySet set;
  SourceDefinitions definitions;
  if (!readCategoriesText(toWide(*text, kCodePageUtf8), set, definitions)) {
    prompter_.Tell(messages::kOpmlParseError, messages::kOpmlParseError.text);
    return;
  }
  host_.ReplaceCategories(std::move(set), std::move(definitions));
  listener_.CategoriesReplaced();
}

bool LibraryCommands::BatchLoad(const std::u16string& terms) {
  if (HasRawResults(host_.libraryDirectory()) &&
      prompter_.Ask(messages::kOverwriteBatch, messages::kOverwriteBatch.text, Prompter::Answer::Yes, "batchrestore") ==
          Prompter::Answer::No)
    return false;
  host_.SearchAllCategories(terms);
  return true;
}

bool LibraryCommands::RestoreBatch() {
  std::optional<std::vector<SourceResult>> results = RestoreRawResults(host_.libraryDirectory(), host_.sources());
  if (!results) return false;
  host_.ShowResults(std::move(*results), true);
  listener_.BatchRestored();
  return true;
}

void LibraryCommands::ImportSourceFile(const std::filesystem::path& path) {
  std::optional<SourceDefinition> definition = ReadSourceFile(path);
  if (!definition || definition->baseKey.empty()) {
    prompter_.Tell(messages::kSourceImportFailed, messages::kSourceImportFailed.text);
    return;
  }
  if (prompter_.Ask(messages::kImportSource, FormatMessage(messages::kImportSource.text, definition->name),
                    Prompter::Answer::Yes, {}) == Prompter::Answer::No)
    return;
  SourceTable probe;
  std::u16string identity;
  probe.AddDefinition(*definition, &identity);
  if (host_.sources().find(identity)) {
    std::u16string text = FormatMessage(messages::kSourceExists.text, host_.sources().nameOf(identity));
    if (prompter_.Ask(messages::kSourceExists, text, Prompter::Answer::Yes, {}) == Prompter::Answer::No) return;
  }
  if (!host_.ImportSource(*definition)) prompter_.Tell(messages::kSourceImportFailed, messages::kSourceImportFailed.text);
}

void LibraryCommands::OpenDocumentFile(const std::u16string& given) {
  if (given.starts_with(u"http://") || given.starts_with(u"feed://")) return host_.AddFeedFromOutside(given);
  std::filesystem::path path = pathOf(given);
  std::u16string extension = toWide(path.extension().string(), kCodePageUtf8);
  if (equalsIgnoringAsciiCase(extension, u".zset")) {
    if (auto results = ReadResultSet(path, host_.sources())) host_.ShowResults(std::move(*results), true);
  } else if (equalsIgnoringAsciiCase(extension, u".zcat")) {
    LoadCategorySetFile(path);
  } else if (equalsIgnoringAsciiCase(extension, u".zsrc")) {
    ImportSourceFile(path);
  } else {
    host_.OpenLibraryAt(path.parent_path());
  }
}

}  // namespace brambel
