#include "cli/command.h"

#include <charconv>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace brambel::cli {

namespace {

// Matches "--name" or "--name=VALUE"; on the second form, sets `inlineValue`.
bool matchesOption(const std::string& word, std::string_view name, std::optional<std::string>& inlineValue) {
  if (word.size() < 2 + name.size() || word.compare(0, 2, "--") != 0 ||
      word.compare(2, name.size(), name) != 0)
    return false;
  if (word.size() == 2 + name.size()) return true;
  if (word[2 + name.size()] != '=') return false;
  inlineValue = word.substr(3 + name.size());
  return true;
}

std::vector<const CommandRegistration*>& registry() {
  static std::vector<const CommandRegistration*> commands;
  return commands;
}

}  // namespace

ArgumentList::ArgumentList(std::vector<std::string> words) : words_(std::move(words)) {}

bool ArgumentList::flag(std::string_view name) {
  bool found = false;
  for (auto it = words_.begin(); it != words_.end();) {
    if (*it == "--") break;
    std::optional<std::string> value;
    if (matchesOption(*it, name, value) && !value) {
      it = words_.erase(it);
      found = true;
    } else {
      ++it;
    }
  }
  return found;
}

std::vector<std::string> ArgumentList::options(std::string_view name) {
  std::vector<std::string> values;
  for (auto it = words_.begin(); it != words_.end();) {
    if (*it == "--") break;
    std::optional<std::string> value;
    if (!matchesOption(*it, name, value)) {
      ++it;
      continue;
    }
    it = words_.erase(it);
    if (!value) {
      if (it == words_.end()) {
        error_ = "option --" + std::string(name) + " needs a value";
        break;
      }
      value = *it;
      it = words_.erase(it);
    }
    values.push_back(std::move(*value));
  }
  return values;
}

std::optional<std::string> ArgumentList::option(std::string_view name) {
  auto values = options(name);
  if (values.empty()) return std::nullopt;
  return values.back();
}

std::optional<long long> ArgumentList::number(std::string_view name) {
  auto text = option(name);
  if (!text) return std::nullopt;
  long long value = 0;
  auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (ec != std::errc() || end != text->data() + text->size() || value < 0) {
    error_ = "option --" + std::string(name) + " needs a non-negative number, not \"" + *text + "\"";
    return std::nullopt;
  }
  return value;
}

std::vector<std::string> ArgumentList::positionals() {
  std::vector<std::string> rest;
  bool literal = false;
  for (auto& word : words_) {
    if (!literal && word == "--") {
      literal = true;
    } else if (!literal && word.size() > 2 && word.compare(0, 2, "--") == 0) {
      if (error_.empty()) error_ = "unknown option " + word;
    } else {
      rest.push_back(word);
    }
  }
  words_.clear();
  return rest;
}

std::optional<std::string> readInput(const std::optional<std::string>& path, std::ostream& err) {
  if (!path || path->empty() || *path == "-") {
    std::ostringstream bytes;
    bytes << std::cin.rdbuf();
    return bytes.str();
  }
  std::ifstream in(*path, std::ios::binary);
  if (!in) {
    err << "brambel-cli: cannot read " << *path << "\n";
    return std::nullopt;
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CommandRegistration::CommandRegistration(std::string group, std::string name, std::string usage,
                                         std::string summary, CommandFunction run)
    : group(std::move(group)), name(std::move(name)), usage(std::move(usage)),
      summary(std::move(summary)), run(run) {
  registry().push_back(this);
}

const std::vector<const CommandRegistration*>& registeredCommands() { return registry(); }

int usageError(const CommandRegistration& command, std::ostream& err, std::string_view message) {
  err << "brambel-cli: " << message << "\nusage: brambel-cli " << command.group;
  if (!command.name.empty()) err << ' ' << command.name;
  err << ' ' << command.usage << "\n";
  return 2;
}

std::optional<std::vector<std::string>> takeWords(CommandContext& context, const CommandRegistration& command,
                                                  size_t least, size_t most, int& status) {
  std::vector<std::string> words = context.args.positionals();
  if (!context.args.error().empty()) {
    status = usageError(command, context.err, context.args.error());
    return std::nullopt;
  }
  if (words.size() < least || words.size() > most) {
    status = usageError(command, context.err, "wrong number of arguments");
    return std::nullopt;
  }
  return words;
}

}  // namespace brambel::cli
