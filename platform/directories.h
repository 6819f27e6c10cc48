#pragma once

#include <filesystem>

namespace brambel {

// Where the program keeps its files. Nothing here creates a directory except
// temporaryDirectory(); writers create the others when they first write.

// The user's settings directory: $XDG_CONFIG_HOME/Brambel, by default
// ~/.config/Brambel.
std::filesystem::path configDirectory();

// The application-data directory: $XDG_DATA_HOME/Brambel, by default
// ~/.local/share/Brambel. It holds the default library and the fallback
// "settings.dat".
std::filesystem::path dataDirectory();

// The directory of the running executable (portable mode keeps "prefs.ini"
// there); empty when it cannot be found.
std::filesystem::path executableDirectory();

// A private per-user folder under $TMPDIR (default /tmp), created with mode
// 0700 when missing. Empty when it cannot be made, or when the name is taken
// by something that is not a directory of this user's with that mode.
std::filesystem::path temporaryDirectory();

}  // namespace brambel
