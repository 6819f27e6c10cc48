// brambel-cli: the library, the sources and the toolkit without the desktop.
#include <algorithm>
#include <iostream>
#include <tuple>
#include <string>
#include <vector>

#include "cli/command.h"
#include "toolkit/connect_to.h"

namespace {

using brambel::cli::CommandRegistration;

std::vector<const CommandRegistration*> sortedCommands() {
  auto commands = brambel::cli::registeredCommands();
  std::sort(commands.begin(), commands.end(), [](auto* a, auto* b) {
    return std::tie(a->group, a->name) < std::tie(b->group, b->name);
  });
  return commands;
}

void printHelp(std::ostream& out) {
  out << "usage: brambel-cli [--connect-to HOST:PORT:HOST2:PORT2]... COMMAND [ARGS...]\n\n"
         "Brambel's library, search sources and web toolkit, without the desktop.\n"
         "FILE arguments default to standard input; output goes to standard output.\n\n"
         "commands:\n";
  for (auto* command : sortedCommands()) {
    std::string head = command->group + (command->name.empty() ? "" : " " + command->name);
    out << "  " << head << ' ' << command->usage << "\n      " << command->summary << "\n";
  }
  out << "\nglobal options:\n"
         "  --connect-to HOST:PORT:HOST2:PORT2\n"
         "      send requests for HOST:PORT to HOST2:PORT2 instead (repeatable; an empty\n"
         "      HOST or PORT matches any)\n";
}

const CommandRegistration* findCommand(const std::string& group, const std::string& name) {
  const CommandRegistration* groupCommand = nullptr;
  for (auto* command : brambel::cli::registeredCommands()) {
    if (command->group != group) continue;
    if (command->name == name) return command;
    if (command->name.empty()) groupCommand = command;
  }
  return groupCommand;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  size_t next = 0;
  std::vector<std::string> connectTo;
  while (next < words.size() && words[next].rfind("--", 0) == 0) {
    const std::string& word = words[next];
    if (word == "--help") {
      printHelp(std::cout);
      return 0;
    } else if (word == "--connect-to" && next + 1 < words.size()) {
      connectTo.push_back(words[next + 1]);
      next += 2;
    } else if (word.rfind("--connect-to=", 0) == 0) {
      connectTo.push_back(word.substr(13));
      ++next;
    } else {
      std::cerr << "brambel-cli: unknown option " << word << " (see brambel-cli --help)\n";
      return 2;
    }
  }
  if (next == words.size()) {
    printHelp(std::cerr);
    return 2;
  }
  for (const auto& entry : connectTo) {
    if (!brambel::addConnectTo(entry)) {
      std::cerr << "brambel-cli: bad --connect-to value \"" << entry << "\" (expected HOST:PORT:HOST2:PORT2)\n";
      return 2;
    }
  }

  const std::string& group = words[next];
  std::string name = next + 1 < words.size() ? words[next + 1] : "";
  const CommandRegistration* command = findCommand(group, name);
  if (!command) {
    std::cerr << "brambel-cli: unknown command \"" << group << (name.empty() ? "" : " " + name)
              << "\" (see brambel-cli --help)\n";
    return 2;
  }
  size_t first = next + (command->name.empty() ? 1 : 2);
  brambel::cli::ArgumentList args(std::vector<std::string>(words.begin() + first, words.end()));
  if (args.flag("help")) {
    std::cout << "usage: brambel-cli " << group << (command->name.empty() ? "" : " " + command->name)
              << ' ' << command->usage << "\n" << command->summary << "\n";
    return 0;
  }
  brambel::cli::CommandContext context{args, std::cout, std::cerr};
  return command->run(context);
}
