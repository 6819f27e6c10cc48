#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace brambel {

// A search text beginning with "//" is a command: the word up to the first
// blank, and the rest of the text as its argument.
struct SearchCommandLine {
  std::u16string word;      // trimmed on the right
  std::u16string argument;  // trimmed on both sides
};

// The command in `terms`, or nothing when they do not begin with "//".
std::optional<SearchCommandLine> ParseSearchCommand(const std::u16string& terms);

// The commands the search field understands, by word. A word that is not in
// the map does nothing.
class SearchCommandMap {
 public:
  using Handler = std::function<void(const std::u16string& argument)>;

  void Register(std::u16string word, Handler handler);
  // Runs the command's handler; false when the word is not known.
  bool Run(const SearchCommandLine& command) const;

 private:
  std::map<std::u16string, Handler> handlers_;
};

// True when the search text is a web address typed by the user
// ("http://" or "https://", any case), which is loaded instead of searched for.
bool IsTypedUrl(const std::u16string& terms);

}  // namespace brambel
