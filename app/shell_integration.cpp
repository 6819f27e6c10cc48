#include "app/shell_integration.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "app/exchange_messages.h"
#include "app/external_tool.h"
#include "toolkit/code_pages.h"

namespace brambel {
namespace {

constexpr char kDefaultsSection[] = "[Default Applications]";

std::filesystem::path environmentPath(const char* name, const std::filesystem::path& fallback) {
  const char* value = std::getenv(name);
  // The XDG base directory rules ignore relative values.
  if (value && *value == '/') return value;
  return fallback;
}

bool writeFile(const std::filesystem::path& path, const std::string& text) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::filesystem::path mimeAppsList(const ShellPaths& paths) { return paths.configHome / "mimeapps.list"; }

// The user's mimeapps.list: its default entries (MIME type → desktop
// entries) and the lines around that section, kept as they are.
struct MimeApps {
  std::string before, after;
  std::map<std::string, std::string> defaults;
};

MimeApps readMimeApps(const ShellPaths& paths) {
  std::istringstream lines(readFile(mimeAppsList(paths)));
  MimeApps apps;
  enum { Before, Inside, After } where = Before;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.front() == '[') where = line == kDefaultsSection ? Inside : (where == Before ? Before : After);
    if (where == Inside) {
      if (size_t equals = line.find('='); equals != std::string::npos)
        apps.defaults[line.substr(0, equals)] = line.substr(equals + 1);
      continue;
    }
    (where == Before ? apps.before : apps.after) += line + "\n";
  }
  return apps;
}

bool writeMimeApps(const ShellPaths& paths, const MimeApps& apps) {
  std::string section = std::string(kDefaultsSection) + "\n";
  for (const auto& [type, entries] : apps.defaults)
    if (!entries.empty()) section += type + "=" + entries + "\n";
  return writeFile(mimeAppsList(paths), apps.before + section + apps.after);
}

void refreshDatabases(const ShellPaths& paths) {
  runExternalTool("update-mime-database", {(paths.dataHome / "mime").string()});
  runExternalTool("update-desktop-database", {(paths.dataHome / "applications").string()});
}

std::string quotedExec(const std::filesystem::path& executable) {
  std::string quoted = "\"";
  for (char c : executable.string()) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

ShellPaths shellPathsFromEnvironment() {
  std::filesystem::path home = environmentPath("HOME", "/");
  ShellPaths paths;
  paths.dataHome = environmentPath("XDG_DATA_HOME", home / ".local/share");
  paths.configHome = environmentPath("XDG_CONFIG_HOME", home / ".config");
  paths.desktop = home / "Desktop";
  std::istringstream dirs(readFile(paths.configHome / "user-dirs.dirs"));
  for (std::string line; std::getline(dirs, line);) {
    if (!line.starts_with("XDG_DESKTOP_DIR=\"") || line.size() < 18 || line.back() != '"') continue;
    std::string value = line.substr(17, line.size() - 18);
    if (value.starts_with("$HOME")) paths.desktop = home / value.substr(std::min<size_t>(6, value.size()));
    else if (value.starts_with("/")) paths.desktop = value;
  }
  paths.desktop = environmentPath("XDG_DESKTOP_DIR", paths.desktop);
  return paths;
}

const std::vector<ShellFileType>& shellFileTypes() {
  static const std::vector<ShellFileType> types = {
      {"zsrc", "application/brambel-source", "Brambel Source File"},
      {"zcat", "application/brambel-categories", "Brambel Categories File"},
      {"zset", "application/brambel-resultset", "Brambel ResultSet File"},
      {"zidx", "application/x-brambel-library", "Brambel Main Index File"},
      {"zurl", "application/x-brambel-library", "Brambel Main Index File"},
  };
  return types;
}

std::string desktopEntryText(const std::filesystem::path& executable) {
  std::string mimeTypes;
  for (const ShellFileType& type : shellFileTypes())
    if (mimeTypes.find(type.mimeType) == std::string::npos) mimeTypes += std::string(type.mimeType) + ";";
  return "[Desktop Entry]\nType=Application\nName=Brambel\nGenericName=Research Tool\n"
         "Comment=Search many sources at once and keep what you find in a library\n"
         "Exec=" + quotedExec(executable) + " %U\nIcon=brambel\nTerminal=false\n"
         "Categories=Network;WebBrowser;Office;\nMimeType=" + mimeTypes + "x-scheme-handler/feed;\n";
}

std::string mimePackageText() {
  std::map<std::string, std::pair<std::string, std::string>> types;  // type → (comment, globs)
  for (const ShellFileType& type : shellFileTypes()) {
    auto& [comment, globs] = types[type.mimeType];
    comment = type.comment;
    globs += std::string("    <glob pattern=\"*.") + type.extension + "\"/>\n";
  }
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (const auto& [type, description] : types)
    xml += "  <mime-type type=\"" + type + "\">\n    <comment>" + description.first + "</comment>\n" +
           description.second + "  </mime-type>\n";
  return xml + "</mime-info>\n";
}

std::string defaultApplicationFor(const ShellPaths& paths, const std::string& mimeType) {
  if (std::optional<std::string> answer = runExternalTool("xdg-mime", {"query", "default", mimeType})) {
    while (!answer->empty() && std::isspace(static_cast<unsigned char>(answer->back()))) answer->pop_back();
    return *answer;
  }
  MimeApps apps = readMimeApps(paths);
  auto entry = apps.defaults.find(mimeType);
  return entry == apps.defaults.end() ? "" : entry->second.substr(0, entry->second.find(';'));
}

bool RegisterFileTypes(const ShellPaths& paths, const std::filesystem::path& executable, Prompter& prompter) {
  // The desktop program registers at every start: the databases are rebuilt
  // only when what it installs has changed.
  const std::filesystem::path package = paths.dataHome / "mime/packages" / kMimePackageName;
  const std::filesystem::path entry = paths.dataHome / "applications" / kDesktopEntryName;
  const std::string packageText = mimePackageText();
  const std::string entryText = desktopEntryText(executable);
  bool written = true;
  if (readFile(package) != packageText || readFile(entry) != entryText) {
    written = writeFile(package, packageText) && writeFile(entry, entryText);
    refreshDatabases(paths);
  }

  bool claimed = false;
  for (const ShellFileType& type : shellFileTypes()) {
    std::string owner = defaultApplicationFor(paths, type.mimeType);
    claimed |= !owner.empty() && owner != kDesktopEntryName;
  }
  if (claimed && prompter.Ask(messages::kOverrideFileTypes, messages::kOverrideFileTypes.text, Prompter::Answer::Yes,
                              "override_ext") == Prompter::Answer::No)
    return written;
  MimeApps apps = readMimeApps(paths);
  for (const ShellFileType& type : shellFileTypes()) apps.defaults[type.mimeType] = std::string(kDesktopEntryName) + ";";
  return writeMimeApps(paths, apps) && written;
}

bool UnregisterFileTypes(const ShellPaths& paths) {
  std::error_code error;
  bool removed = true;
  for (const auto& file : {paths.dataHome / "mime/packages" / kMimePackageName, paths.dataHome / "applications" / kDesktopEntryName}) {
    std::filesystem::remove(file, error);
    removed &= !error;
  }
  refreshDatabases(paths);
  if (std::filesystem::exists(mimeAppsList(paths))) {
    MimeApps apps = readMimeApps(paths);
    for (auto& [type, entries] : apps.defaults)
      if (entries.starts_with(std::string(kDesktopEntryName) + ";") || entries == kDesktopEntryName) entries.clear();
    removed &= writeMimeApps(paths, apps);
  }
  return removed;
}

std::filesystem::path CreateLibraryShortcut(const ShellPaths& paths, const std::filesystem::path& libraryDirectory,
                                            const std::filesystem::path& executable, Prompter& prompter) {
  if (prompter.Ask(messages::kCreateShortcut, messages::kCreateShortcut.text, Prompter::Answer::Yes, {}) ==
      Prompter::Answer::No)
    return {};
  std::filesystem::path library = libraryDirectory;
  if (!library.has_filename()) library = library.parent_path();
  std::string name = library.filename().string();
  std::filesystem::path launcher = paths.desktop / (name + ".desktop");
  std::string text = "[Desktop Entry]\nType=Application\nName=" + name + "\nComment=Brambel library\nExec=" +
                     quotedExec(executable) + " " + quotedExec(library / "main__index.zidx") +
                     "\nIcon=brambel\nTerminal=false\n";
  if (!writeFile(launcher, text)) return {};
  std::error_code error;
  std::filesystem::permissions(launcher, std::filesystem::perms::owner_exec | std::filesystem::perms::group_exec |
                                             std::filesystem::perms::others_exec,
                               std::filesystem::perm_options::add, error);
  return launcher;
}

bool Uninstall(const ShellPaths& paths, const std::filesystem::path& settingsDirectory,
               const std::filesystem::path& programData, Prompter& prompter) {
  if (prompter.Ask(messages::kConfirmUninstall, messages::kConfirmUninstall.text, Prompter::Answer::No, {}) ==
      Prompter::Answer::No)
    return false;
  bool complete = UnregisterFileTypes(paths);
  for (const auto& directory : {settingsDirectory, programData}) {
    std::error_code error;
    std::filesystem::remove_all(directory, error);
    complete &= !error && !std::filesystem::exists(directory, error);
  }
  const MessageText& report = complete ? messages::kUninstallComplete : messages::kUninstallIncomplete;
  prompter.Tell(report, report.text);
  return complete;
}

}  // namespace brambel
