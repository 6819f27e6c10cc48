#include "platform/directories.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

namespace brambel {
namespace {

std::filesystem::path homeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "/";
}

// An XDG base directory: the variable when it names an absolute path (the
// XDG rules ignore relative ones), else the fallback under the home directory.
std::filesystem::path xdgDirectory(const char* variable, const char* fallback) {
  if (const char* value = std::getenv(variable); value && value[0] == '/') return value;
  return homeDirectory() / fallback;
}

}  // namespace

std::filesystem::path configDirectory() { return xdgDirectory("XDG_CONFIG_HOME", ".config") / "Brambel"; }

std::filesystem::path dataDirectory() { return xdgDirectory("XDG_DATA_HOME", ".local/share") / "Brambel"; }

std::filesystem::path executableDirectory() {
  std::error_code error;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : executable.parent_path();
}

std::filesystem::path temporaryDirectory() {
  const char* base = std::getenv("TMPDIR");
  std::filesystem::path path = std::filesystem::path(base && base[0] == '/' ? base : "/tmp") /
                               ("brambel-" + std::to_string(getuid()));
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return {};
  // Another user could have made the name first; only our own private
  // directory will do.
  struct stat status;
  if (lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != getuid() ||
      (status.st_mode & 077) != 0)
    return {};
  return path;
}

}  // namespace brambel
