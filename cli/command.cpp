#include "cli/command.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "toolkit/connect_to.h"

namespace brambel::cli {

namespace {

std::vector<std::function<void(CommandLine&)>>& registrations() {
  static std::vector<std::function<void(CommandLine&)>> adders;
  return adders;
}

bool isGroup(const CLI::App& app) {
  return !app.get_subcommands([](const CLI::App*) { return true; }).empty();
}

// "brambel-cli inspect path": the names from the program down to `app`.
std::string pathOf(const CLI::App& app) {
  const CLI::App* parent = app.get_parent();
  return parent ? pathOf(*parent) + " " + app.get_name() : app.get_name();
}

std::string optionUsage(const CLI::Option& option) {
  const bool repeatable = option.get_expected_max() > 1;
  if (option.get_positional()) {
    std::string name = option.get_name() + (repeatable ? "..." : "");
    return option.get_required() ? name : "[" + name + "]";
  }
  std::string text = option.get_name();
  if (option.get_expected_max() > 0) text += " " + option.get_type_name();
  if (!option.get_required()) text = "[" + text + "]";
  return repeatable ? text + "..." : text;
}

// CLI11 appends each validator's description to the type name; the usage
// lines show the type name alone.
void clearValidatorDescriptions(CLI::Option& option) {
  try {
    for (int i = 0;; ++i) option.get_validator(i)->description("");
  } catch (const CLI::OptionNotFound&) {
    // past the last validator
  }
}

// Every command that does something, in name order.
void collectCommands(const CLI::App& app, std::vector<const CLI::App*>& commands) {
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    if (isGroup(*sub)) collectCommands(*sub, commands);
    else commands.push_back(sub);
  }
}

std::string programHelp(const CLI::App& program) {
  std::ostringstream out;
  out << "usage: " << usageOf(program) << "\n\n" << program.get_description()
      << "\nFILE arguments default to standard input; output goes to standard output.\n\ncommands:\n";
  std::vector<const CLI::App*> commands;
  collectCommands(program, commands);
  std::sort(commands.begin(), commands.end(),
            [](const CLI::App* a, const CLI::App* b) { return pathOf(*a) < pathOf(*b); });
  const std::string prefix = program.get_name() + " ";
  for (const CLI::App* command : commands)
    out << "  " << usageOf(*command).substr(prefix.size()) << "\n      " << command->get_description() << "\n";
  out << "\nglobal options:\n";
  for (const CLI::Option* option : program.get_options()) {
    if (option == program.get_help_ptr()) continue;
    out << "  " << option->get_name() << ' ' << option->get_type_name() << "\n      " << option->get_description()
        << "\n";
  }
  out << "\n`brambel-cli COMMAND --help` describes one command or group.\n";
  return out.str();
}

// Usage lines built from the declared options; the program's own help lists
// every command.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App* app, std::string) const override {
    return "usage: " + usageOf(*app) + "\n";
  }
  std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
    if (!app->get_parent() && mode == CLI::AppFormatMode::Normal) return programHelp(*app);
    return CLI::Formatter::make_help(app, std::move(name), mode);
  }
};

// brambel-cli has no one-letter options, so a word such as "-hen" (a term
// to exclude) is a word wherever it stands. CLI11 would take it for options;
// it is marked before parsing and unmarked as the value is taken.
constexpr char kWordMark = '\x1f';

bool looksLikeShortOptions(const std::string& word) {
  return word.size() > 1 && word[0] == '-' && word[1] != '-' && !(word[1] >= '0' && word[1] <= '9');
}

std::string unmarked(std::string value) {
  if (value.size() > 1 && value[0] == kWordMark && value[1] == '-') value.erase(0, 1);
  return value;
}

// The command the parse reached: the last selected subcommand.
const CLI::App& reached(const CLI::App& program) {
  const CLI::App* at = &program;
  while (!at->get_subcommands().empty()) at = at->get_subcommands().front();
  return *at;
}

}  // namespace

int CommandContext::usageError(std::string_view message) const {
  err << "brambel-cli: " << message << "\nusage: " << usageOf(command) << "\n(" << pathOf(command)
      << " --help for more)\n";
  return 2;
}

CommandLine::CommandLine()
    : program_("Brambel's library, search sources and web toolkit, without the desktop.", "brambel-cli") {
  program_.formatter(std::make_shared<HelpFormatter>());
  program_.set_help_flag("--help", "print this help and exit");
  program_.require_subcommand(1);
  program_
      .add_option("--connect-to", connectTo_,
                  "send requests for HOST:PORT to HOST2:PORT2 instead (repeatable; an empty HOST or PORT "
                  "matches any)")
      ->type_name("HOST:PORT:HOST2:PORT2")
      ->check(CLI::Validator(
          [](std::string& value) -> std::string {
            return value.find(':') == std::string::npos ? "needs a value HOST:PORT:HOST2:PORT2, not \"" + value + "\""
                                                        : "";
          },
          ""));
  for (const auto& add : registrations()) add(*this);

  // An option takes one value per occurrence, so that a repeated option is
  // never followed by a positional it would swallow.
  std::vector<CLI::App*> apps{&program_};
  while (!apps.empty()) {
    CLI::App* app = apps.back();
    apps.pop_back();
    for (CLI::Option* option : app->get_options([](CLI::Option* option) { return option->get_expected_max() > 0; })) {
      if (option->nonpositional()) option->allow_extra_args(false);
      // Value types are named by the option itself; limits are in its description.
      clearValidatorDescriptions(*option);
      option->transform(&unmarked);
    }
    for (CLI::App* sub : app->get_subcommands([](CLI::App*) { return true; })) apps.push_back(sub);
  }
}

CLI::App& CommandLine::group(const std::string& name, const std::string& description) {
  for (CLI::App* sub : program_.get_subcommands([&](CLI::App* app) { return app->get_name() == name; })) {
    if (sub->get_description().empty()) sub->description(description);
    return *sub;
  }
  CLI::App* group = program_.add_subcommand(name, description);
  group->require_subcommand(1);
  return *group;
}

CLI::App& CommandLine::command(CLI::App& parent, const std::string& name, const std::string& description,
                               CommandAction action) {
  CLI::App* command = parent.add_subcommand(name, description);
  actions_[command] = std::move(action);
  return *command;
}

int CommandLine::run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  std::vector<std::string> words;
  for (int i = argc - 1; i > 0; --i) {
    words.emplace_back(argv[i]);
    if (looksLikeShortOptions(words.back())) words.back().insert(0, 1, kWordMark);
  }
  try {
    program_.parse(words);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return program_.exit(error, out, err);
    const CLI::App& at = reached(program_);
    std::string message = error.what();
    std::erase(message, kWordMark);
    if (error.get_name() == "RequiredError" && isGroup(at) && at.get_subcommands().empty()) {
      std::vector<std::string> rest = at.remaining();
      message = rest.empty() ? "missing command" : "unknown command \"" + pathOf(at) + " " + rest.front() + "\"";
    }
    return CommandContext{at, out, err}.usageError(message);
  }
  for (const std::string& entry : connectTo_) {
    if (!addConnectTo(entry)) {
      err << "brambel-cli: bad --connect-to value \"" << entry << "\" (expected HOST:PORT:HOST2:PORT2)\n";
      return 2;
    }
  }
  const CLI::App& command = reached(program_);
  CommandContext context{command, out, err};
  try {
    return actions_.at(&command)(context);
  } catch (const std::exception& failure) {
    err << "brambel-cli: " << pathOf(command) << " failed: " << failure.what() << "\n";
    return 1;
  }
}

CommandRegistration::CommandRegistration(std::function<void(CommandLine&)> add) {
  registrations().push_back(std::move(add));
}

std::string usageOf(const CLI::App& command) {
  std::string usage = pathOf(command);
  for (const CLI::Option* option : command.get_options([](const CLI::Option* option) { return option->nonpositional(); }))
    if (option != command.get_help_ptr()) usage += " " + optionUsage(*option);
  for (const CLI::Option* option : command.get_options([](const CLI::Option* option) { return option->get_positional(); }))
    usage += " " + optionUsage(*option);
  if (isGroup(command)) usage += " COMMAND";
  return usage;
}

const CLI::Validator& nonNegativeNumber() {
  static const CLI::Validator validator(
      [](std::string& text) -> std::string {
        unsigned long long value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc() && end == text.data() + text.size()) return "";
        return "needs a whole number of 0 or more, not \"" + text + "\"";
      },
      "");
  return validator;
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

}  // namespace brambel::cli
