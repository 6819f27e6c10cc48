// brambel-cli desktop register|unregister|check-update: the program's ties
// to the freedesktop desktop, and the version check.
#include <iostream>

#include "app/application.h"
#include "app/shell_integration.h"
#include "app/update_check.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "cli/library_session.h"
#include "platform/directories.h"

namespace brambel::cli {
namespace {

// Prints the offer; the command line never opens a browser.
class PrintedUpdateDialog : public UpdateDialog {
 public:
  explicit PrintedUpdateDialog(std::ostream& out) : out_(out) {}
  Choice ShowNewVersion(const PublishedVersion& version, bool&) override {
    out_ << "Version " << version.number << " is available!\n" << utf8(version.message) << "\n"
         << utf8(version.downloadUrl) << "\n";
    return Choice::Ignore;
  }
  void OpenInBrowser(const std::u16string&) override {}

 private:
  std::ostream& out_;
};

int runRegister(bool yes, CommandContext& context) {
  Application application;
  if (application.portable()) {
    context.err << "brambel-cli: portable mode: file types are not registered\n";
    return 1;
  }
  CliPrompter prompter(context.err, yes, {});
  ShellPaths paths = shellPathsFromEnvironment();
  if (!RegisterFileTypes(paths, executableDirectory() / "brambel", prompter)) {
    context.err << "brambel-cli: cannot write into " << paths.dataHome.string() << "\n";
    return 1;
  }
  for (const ShellFileType& type : shellFileTypes())
    context.out << "." << type.extension << "\t" << type.mimeType << "\t" << defaultApplicationFor(paths, type.mimeType)
                << "\n";
  return 0;
}

int runUnregister(CommandContext& context) {
  if (!UnregisterFileTypes(shellPathsFromEnvironment())) {
    context.err << "brambel-cli: not everything could be removed\n";
    return 1;
  }
  return 0;
}

int runCheckUpdate(CommandContext& context) {
  Application application;
  CliPrompter prompter(context.out, false, {});
  PrintedUpdateDialog dialog(context.out);
  std::atomic<bool> quitting{false};
  std::u16string url = versionFileUrl(programSettingsFile(application.portable()).path);
  UpdateOutcome outcome = CheckForUpdates(true, url, application.settings(), prompter, dialog, quitting,
                                          [&] { application.SaveSettings(); }, std::time(nullptr));
  if (outcome == UpdateOutcome::FetchFailed) {
    context.err << "brambel-cli: cannot fetch " << utf8(url) << "\n";
    return 1;
  }
  return 0;
}

const CommandRegistration kDesktop([](CommandLine& line) {
  CLI::App& desktop = line.group("desktop", "the program's desktop entry, file types and version check");
  auto yes = std::make_shared<bool>(false);
  CLI::App& add = line.command(desktop, "register",
                               "install the desktop entry and the file types in the user's data directory",
                               [yes](CommandContext& context) { return runRegister(*yes, context); });
  add.add_flag("--yes", *yes, "take over file types another program opens without asking");
  line.command(desktop, "unregister", "remove the desktop entry and the file types",
               [](CommandContext& context) { return runUnregister(context); });
  line.command(desktop, "check-update", "ask the project's site whether a newer version exists",
               [](CommandContext& context) { return runCheckUpdate(context); });
});

}  // namespace
}  // namespace brambel::cli
