// brambel: the desktop program.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include "app/program_settings.h"
#include "platform/directories.h"
#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/bridge/session_events.h"
#include "ui/main/instance_channel.h"
#include "ui/main/main_window.h"
#include "ui/main/termination_watcher.h"

namespace {

using namespace brambel;

constexpr char kAlreadyOpen[] =
    "It looks like you already have the library open. Would you like to bring that instance to the front? If you "
    "click 'No', a read-only version will be opened.";
constexpr char kLockedElsewhere[] =
    "Another process is writing to this data library. The library will be opened in read only mode.";

// Portable mode: asked for, or a readable "prefs.ini" beside the executable.
bool portableMode(bool asked) {
  if (asked) return true;
  const std::filesystem::path prefs = executableDirectory() / kProgramSettingsFileName;
  return QFileInfo(QString::fromStdString(prefs.string())).isReadable();
}

std::filesystem::path defaultLibrary(bool portable) {
  return (portable ? executableDirectory() : dataDirectory()) / "Default Library";
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
  if (!parser.positionalArguments().isEmpty())
    QTextStream(stderr) << "brambel: opening files and URLs from the command line is not supported yet; ignored\n";

  const bool isPortable = portableMode(parser.isSet(portable));
  const ProgramSettingsFile settingsFile = programSettingsFile(isPortable);
  const std::u16string defaultDirectory = defaultLibrary(isPortable).u16string() + u"/";
  ProgramSettings settings = ReadProgramSettings(settingsFile, defaultDirectory);
  std::filesystem::path directory = parser.isSet(library) ? std::filesystem::path(parser.value(library).toStdString())
                                    : settings.defaultCachePath.empty() ? defaultLibrary(isPortable)
                                                                        : std::filesystem::path(settings.defaultCachePath);
  directory = std::filesystem::absolute(directory).lexically_normal();

  SessionEvents events;
  LibrarySession session({settingsFile, directory}, settings, &events);
  if (!session.Open()) {
    QTextStream(stderr) << "brambel: cannot create the library directory " << QString::fromStdString(directory.string())
                        << "\n";
    return 1;
  }
  MessageBoxPrompter prompter(session);
  InstanceChannel channel(directory);
  if (session.isReadOnly()) {
    if (channel.instanceRunning()) {
      if (prompter.Ask(nullptr, QStringLiteral("readonly"), QString::fromLatin1(kAlreadyOpen)) && channel.askToRaise())
        return 0;
    } else {
      prompter.Notify(nullptr, QString(), QString::fromLatin1(kLockedElsewhere));
    }
  } else if (!channel.listen()) {
    QTextStream(stderr) << "brambel: cannot answer other instances on " << channel.name() << "\n";
  }

  MainWindow window(session, events, prompter);
  QObject::connect(&channel, &InstanceChannel::raiseRequested, &window, [&window] {
    window.showNormal();
    window.raise();
    window.activateWindow();
  });
  TerminationWatcher termination;
  QObject::connect(&termination, &TerminationWatcher::terminationRequested, &window, &QWidget::close);
  window.placeWindow();
  window.show();
  window.applyFrameLayout();
  const int status = app.exec();
  // The search stops and the window's rectangle is kept; the session then
  // releases the library lock as it goes.
  window.saveWindowState();
  return status;
}
