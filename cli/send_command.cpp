// brambel-cli send and destinations list: sending result URLs to bookmarking
// and blog services.
#include <iostream>

#include "app/destination_logins.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "cli/library_session.h"
#include "destinations/destination_send.h"
#include "formats/text_lines.h"
#include "toolkit/ascii_case.h"
#include "toolkit/code_pages.h"

namespace brambel::cli {
namespace {

std::u16string wide(const std::string& text) { return toWide(text, kCodePageUtf8); }

std::filesystem::path settingsFile() {
  Application application;
  return programSettingsFile(application.portable()).path;
}

int runList(CommandContext& context) {
  for (const Destination& destination : LoadDestinations(settingsFile()))
    context.out << utf8(destination.name) << "\t" << utf8(destinationKindName(destination.kind))
                << (destination.username.empty() ? "" : "\tlogin: " + utf8(destination.username)) << "\n";
  return 0;
}

struct SendArguments {
  std::optional<std::string> library;
  std::string destination;
  std::vector<std::string> urls;
  std::optional<std::string> username, password, notes, category, title, text;
  std::string action = "Save";
  std::vector<std::string> terms;
  bool save = false;
};

int runSend(const SendArguments& args, CommandContext& context) {
  std::filesystem::path file = settingsFile();
  std::vector<Destination> destinations = LoadDestinations(file);
  auto found = std::find_if(destinations.begin(), destinations.end(),
                            [&](const Destination& d) { return equalsIgnoringAsciiCase(d.name, wide(args.destination)); });
  if (found == destinations.end()) {
    context.err << "brambel-cli: no destination \"" << args.destination << "\" (see brambel-cli destinations list)\n";
    return 1;
  }
  SessionOptions options;
  options.library = args.library;
  std::unique_ptr<LibrarySession> session = LibrarySession::Open(options, context.err);
  if (!session) return 1;
  CTesserin2Doc& document = session->document();

  std::vector<std::u16string> terms, urls;
  for (const auto& term : args.terms) terms.push_back(wide(term));
  for (const auto& url : args.urls) urls.push_back(wide(url));
  DestinationVariables variables = sendVariables(*found, terms, wide(args.category.value_or("")));
  auto set = [&](const char16_t* name, const std::optional<std::string>& value) {
    if (value) variables[name] = wide(*value);
  };
  set(u"username", args.username);
  set(u"password", args.password);
  set(u"notes", args.notes);
  set(u"title", args.title);
  set(u"text", args.text);
  variables[u"action"] = wide(args.action);
  if (args.save) variables[u"save"] = u"";

  SendContext send;
  send.readRecord = [&](const std::u16string& url) { return document.library()->readRecord(url); };
  if (document.application().settings().autoPermanent && !document.isReadOnly())
    send.markPermanent = [&](const std::u16string& url) { document.SetPermanent(url, true); };
  send.report = [&](const std::u16string& message) { context.out << utf8(message) << "\n"; };
  send.openInBrowser = [&](const std::u16string& url) { context.out << "open in the browser: " << utf8(url) << "\n"; };
  send.requestDone = [&](const std::u16string& url, bool succeeded, const std::string& reply) {
    context.out << (succeeded ? "ok     " : "failed ") << utf8(url) << " (" << reply.size() << " bytes)\n";
  };
  DestinationSends sends;
  sends.SendToDestination(*found, std::move(variables), std::move(urls), send,
                          [&] { SaveDestinations(destinations, file); });
  sends.wait();
  return 0;
}

const CommandRegistration kSend([](CommandLine& line) {
  CLI::App& group = line.group("destinations", "the services result URLs can be sent to");
  line.command(group, "list", "name every destination with its kind", [](CommandContext& context) { return runList(context); });

  auto args = std::make_shared<SendArguments>();
  CLI::App& send = line.command(line.program(), "send",
                                "send URLs of the library to a destination, printing what each request returned",
                                [args](CommandContext& context) { return runSend(*args, context); });
  send.add_option("--library", args->library, "the library holding the URLs (default: the start-up library)")
      ->type_name("DIR");
  send.add_option("--username", args->username, "the login (default: the stored one)")->type_name("U");
  send.add_option("--password", args->password, "the password (default: the stored one)")->type_name("P");
  send.add_flag("--save-login", args->save, "store the login given, its password scrambled");
  send.add_option("--notes", args->notes, "the notes (default: \"Added By Brambel\")")->type_name("TEXT");
  send.add_option("--category", args->category, "the category named with the tags")->type_name("NAME");
  send.add_option("--terms", args->terms, "search terms used as tags (repeatable)")->type_name("TERM");
  send.add_option("--title", args->title, "a blog post's title")->type_name("TEXT");
  send.add_option("--text", args->text, "the text before a blog post's links")->type_name("TEXT");
  send.add_option("--action", args->action, "a blog post's action: Save or Publish")
      ->type_name("ACTION")
      ->check(CLI::IsMember({"Save", "Publish"}));
  send.add_option("DEST", args->destination, "the destination's name")->required();
  send.add_option("URL", args->urls, "the URLs to send")->required();
});

}  // namespace
}  // namespace brambel::cli
