#include "app/command_tokens.h"

namespace brambel {

std::vector<std::u16string> tokenizeCommandLine(const std::u16string& line) {
  std::vector<std::u16string> tokens;
  std::u16string token;
  bool inToken = false, quoted = false;
  for (char16_t c : line) {
    if (c == u'"') {
      quoted = !quoted;
      inToken = true;  // "" is an empty token
    } else if ((c == u' ' || c == u'\t') && !quoted) {
      if (inToken) tokens.push_back(std::move(token));
      token.clear();
      inToken = false;
    } else {
      token += c;
      inToken = true;
    }
  }
  if (inToken) tokens.push_back(std::move(token));
  return tokens;
}

std::optional<SourceCommand> parseSourceCommand(const std::vector<std::u16string>& tokens) {
  if (tokens.empty() || tokens[0].empty()) return std::nullopt;
  SourceCommand command{tokens[0], {}};
  for (size_t i = 1; i < tokens.size(); ++i) {
    size_t equals = tokens[i].find(u'=');
    if (equals == std::u16string::npos) continue;
    std::u16string name = tokens[i].substr(0, equals), value = tokens[i].substr(equals + 1);
    auto [entry, added] = command.parameters.emplace(name, value);
    if (!added) entry->second += u" " + value;
  }
  return command;
}

}  // namespace brambel
