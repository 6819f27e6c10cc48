#pragma once

#include <string>

#include "app/command_host.h"
#include "app/program_settings.h"
#include "app/prompter.h"
#include "search/search_commands.h"

namespace brambel {

// The text commands of a library: the startup commands of its category set
// (or its startup URL), the "//" commands of the search field, batch loads
// and their restore, and the files and URLs handed to the program.
class LibraryCommands {
 public:
  LibraryCommands(CommandHost& host, ProgramSettings& settings, Prompter& prompter, CommandListener& listener);

  // The library's startup URL when it has one ("file://" a result file,
  // "http..." results fetched), else its "[startup]" lines in order.
  // `isDefault`: the library opened at start-up ("//seedall" runs only then).
  void RunStartupCommands(bool isDefault);
  // One startup line; `index` is its place among the lines. Lines that are no
  // command, and sources the table does not hold, are skipped.
  void RunStartupLine(const std::u16string& line, int index, bool isDefault);

  // Fills `commands` with the search field's command words.
  void RegisterSearchFieldCommands(SearchCommandMap& commands);
  // Runs a "//" text of the search field; false when it names no command.
  bool RunSearchFieldCommand(const std::u16string& text);

  // Searches every category for `terms`, after asking before a previous
  // batch's results are overwritten. False when the user declined.
  bool BatchLoad(const std::u16string& terms);
  // Shows the last batch's results; false when there are none.
  bool RestoreBatch();

  // A file or URL handed to the program: a feed address ("http://",
  // "feed://"), a result set, a category set, a source file, or any other
  // file, whose directory becomes the library.
  void OpenDocumentFile(const std::u16string& path);

 private:
  void LoadCategorySetFile(const std::filesystem::path& path);
  void ReplaceWithBuiltInSet(int resourceId);
  void ImportSourceFile(const std::filesystem::path& path);
  void StartSourceCommand(const std::u16string& rest, int index, bool skipKnown, bool unthrottled);

  CommandHost& host_;
  ProgramSettings& settings_;
  Prompter& prompter_;
  CommandListener& listener_;
  SearchCommandMap commands_;
};

}  // namespace brambel
