#include "toolkit/text_file.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

namespace brambel {

std::optional<std::string> readTextFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  if (size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  return text;
}

bool writeTextFile(const std::filesystem::path& path, std::string_view text) {
  std::filesystem::path temporary = path;
  temporary += ".tmp" + std::to_string(getpid());
  std::error_code error;
  const std::filesystem::file_status replaced = std::filesystem::status(path, error);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    // The new file keeps the permissions of the one it replaces, set before
    // any text is in it: a settings file holding logins stays its owner's.
    if (!error && std::filesystem::is_regular_file(replaced)) {
      std::filesystem::permissions(temporary, replaced.permissions(), error);
      if (error) {
        out.close();
        std::remove(temporary.c_str());
        return false;
      }
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.put('\0');
    out.flush();
    if (!out) {
      out.close();
      std::remove(temporary.c_str());
      return false;
    }
  }
  std::filesystem::rename(temporary, path, error);
  if (!error) return true;
  std::filesystem::remove(temporary, error);
  return false;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  return text;
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace brambel
