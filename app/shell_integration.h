#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/prompter.h"

namespace brambel {

// Where the desktop looks for the program's ties: the user's XDG data and
// config directories and the desktop directory, from the environment
// (XDG_DATA_HOME, XDG_CONFIG_HOME, XDG_DESKTOP_DIR or the desktop line of
// user-dirs.dirs; the usual defaults under HOME).
struct ShellPaths {
  std::filesystem::path dataHome;
  std::filesystem::path configHome;
  std::filesystem::path desktop;
};
ShellPaths shellPathsFromEnvironment();

// One file type the program opens.
struct ShellFileType {
  const char* extension;  // without the dot
  const char* mimeType;
  const char* comment;
};
// ".zsrc", ".zcat", ".zset", and the library's ".zidx" and ".zurl" as one type.
const std::vector<ShellFileType>& shellFileTypes();

inline constexpr char kDesktopEntryName[] = "brambel.desktop";
inline constexpr char kMimePackageName[] = "brambel.xml";

// The program's desktop entry, running `executable` with the files or URLs it is given.
std::string desktopEntryText(const std::filesystem::path& executable);
// The shared-mime-info package of the file types.
std::string mimePackageText();

// Installs the desktop entry and the MIME package into the user's data
// directory (running update-mime-database and update-desktop-database when
// they are installed) and makes the program the default for its types. When
// another program is the default for one of them, the user is asked first
// (message 2038, remembered under "override_ext"); No leaves every default as
// it was. Idempotent; skipped by the caller in portable mode.
bool RegisterFileTypes(const ShellPaths& paths, const std::filesystem::path& executable, Prompter& prompter);

// Removes what RegisterFileTypes installed, and the defaults naming the program.
bool UnregisterFileTypes(const ShellPaths& paths);

// The desktop entry that is the default for `mimeType`: what
// "xdg-mime query default" says when it is installed, else the user's
// mimeapps.list; empty when none.
std::string defaultApplicationFor(const ShellPaths& paths, const std::string& mimeType);

// After a new library was created: asks (message 2064) and, on Yes, puts a
// launcher named after the library folder on the desktop that opens the
// library's main index with the program. The launcher's path, or empty.
std::filesystem::path CreateLibraryShortcut(const ShellPaths& paths, const std::filesystem::path& libraryDirectory,
                                            const std::filesystem::path& executable, Prompter& prompter);

// Asks (message 2043), then removes the registration, the settings
// directory `settingsDirectory` and the program data directory with the
// default library; tells the user it is done (2044) or that something could
// not be removed (2045). False when declined or incomplete.
bool Uninstall(const ShellPaths& paths, const std::filesystem::path& settingsDirectory,
               const std::filesystem::path& programData, Prompter& prompter);

}  // namespace brambel
