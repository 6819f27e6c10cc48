// brambel: the desktop program.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <QTextStream>

#include <fstream>

#include "app/application.h"
#include "app/program_settings.h"
#include "app/shell_integration.h"
#include "platform/directories.h"
#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/bridge/session_events.h"
#include "ui/commands/desktop_command_host.h"
#include "ui/commands/help_commands.h"
#include "ui/commands/menu_commands.h"
#include "ui/commands/maintenance_commands.h"
#include "ui/main/desktop_program.h"
#include "ui/main/instance_channel.h"
#include "ui/main/main_window.h"
#include "ui/main/termination_watcher.h"
#include "ui/render/preview_steps.h"

namespace {

using namespace brambel;

// Portable mode lives in a "prefs.ini" beside the program: asking for it
// makes that file when it is missing.
void requestPortableMode() {
  const std::filesystem::path prefs = executableDirectory() / kProgramSettingsFileName;
  std::error_code error;
  if (!std::filesystem::exists(prefs, error)) std::ofstream(prefs, std::ios::binary).flush();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Brambel"));
  QApplication::setApplicationVersion(QStringLiteral("0.1"));
  QApplication::setDesktopFileName(QStringLiteral("brambel"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Brambel: meta-search with a personal library."));
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption library(QStringLiteral("library"), QStringLiteral("Open the library in DIR."), QStringLiteral("DIR"));
  QCommandLineOption portable(QStringLiteral("portable"),
                              QStringLiteral("Keep the settings in prefs.ini beside the program."));
  parser.addOption(library);
  parser.addOption(portable);
  parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Files or URLs to open."), QStringLiteral("[FILE|URL...]"));
  parser.process(app);
  const QStringList documents = parser.positionalArguments();

  if (parser.isSet(portable)) requestPortableMode();
  DesktopProgram program;
  Application& application = program.application;
  LibrarySession& session = program.session;
  std::filesystem::path directory = parser.isSet(library) ? std::filesystem::path(parser.value(library).toStdString())
                                                          : application.startupLibrary();
  directory = std::filesystem::absolute(directory).lexically_normal();
  // A library that does not exist yet is created through the category-set
  // chooser, the start-up library's and a named one's alike.
  std::error_code error;
  const bool isDefault = !parser.isSet(library) || !std::filesystem::exists(directory, error);

  InstanceChannel channel(directory);
  if (!session.Open(directory, isDefault)) {
    // The new library was cancelled, or the user chose to switch to the
    // instance that holds the library.
    if (session.exitRequested()) {
      // The running instance opens what this one was given.
      if (!channel.askToRaise(documents) && !documents.isEmpty())
        QTextStream(stderr) << "brambel: the running instance did not answer; nothing opened\n";
      return 0;
    }
    QTextStream(stderr) << "brambel: cannot open the library " << QString::fromStdString(directory.string()) << "\n";
    return 1;
  }
  if (!session.isReadOnly() && !channel.listen())
    QTextStream(stderr) << "brambel: cannot answer other instances on " << channel.name() << "\n";

  MainWindow window(session, program.events, program.prompter);
  MenuCommands& commands = *window.menuCommands();
  QObject::connect(&channel, &InstanceChannel::openRequested, &commands, &MenuCommands::openDocument);
  QObject::connect(&commands.host(), &DesktopCommandHost::libraryRequested, &window, [&](const QString& other) {
    // One library per process: another library opens in a process of its own.
    QStringList arguments{QStringLiteral("--library"), other};
    if (session.isPortable()) arguments.append(QStringLiteral("--portable"));
    QProcess::startDetached(QApplication::applicationFilePath(), arguments);
  });
  QObject::connect(&channel, &InstanceChannel::raiseRequested, &window, [&window] {
    window.showNormal();
    window.raise();
    window.activateWindow();
  });
  TerminationWatcher termination;
  QObject::connect(&termination, &TerminationWatcher::terminationRequested, &window, &QWidget::close);
  program.showWindow(window);
  // Once the window shows: the file types (outside portable mode), the
  // library's startup commands, then what the command line named, then the
  // daily version check.
  QTimer::singleShot(0, &window, [&] {
    if (!application.portable()) {
      const auto executable = std::filesystem::path(QApplication::applicationFilePath().toStdString());
      if (!RegisterFileTypes(shellPathsFromEnvironment(), executable, program.prompter))
        QTextStream(stderr) << "brambel: cannot register the file types\n";
    }
    commands.host().commands().RunStartupCommands(true);
    for (const QString& document : documents) commands.openDocument(document);
    commands.help().startAutomaticCheck();
  });
  const int status = app.exec();
  // An optimise still running holds the library: it finishes first (a
  // question it asks now answers itself, the program being on its way out).
  while (commands.maintenance().isRunning()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  program.shutDown(window);
  return status;
}
