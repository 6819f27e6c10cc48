#include "search/search_commands.h"

#include "search/item_to_result.h"
#include "toolkit/ascii_case.h"

namespace brambel {
std::optional<SearchCommandLine> ParseSearchCommand(const std::u16string& terms) {
  if (!terms.starts_with(u"//")) return std::nullopt;
  std::u16string line = terms.substr(2);
  SearchCommandLine command;
  size_t blank = line.find(u' ');
  command.word = line.substr(0, blank);
  if (blank != std::u16string::npos) command.argument = trimWhiteSpace(line.substr(blank + 1));
  while (!command.word.empty() && (command.word.back() == u' ' || command.word.back() == u'\t'))
    command.word.pop_back();
  return command;
}

void SearchCommandMap::Register(std::u16string word, Handler handler) {
  handlers_.insert_or_assign(std::move(word), std::move(handler));
}

bool SearchCommandMap::Run(const SearchCommandLine& command) const {
  auto found = handlers_.find(command.word);
  if (found == handlers_.end()) return false;
  found->second(command.argument);
  return true;
}

bool IsTypedUrl(const std::u16string& terms) {
  return startsWithIgnoringCase<char16_t>(terms, 0, "http://") ||
         startsWithIgnoringCase<char16_t>(terms, 0, "https://");
}

}  // namespace brambel
