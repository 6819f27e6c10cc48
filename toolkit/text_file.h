#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brambel {

// The program's exchangeable text files (settings, category sets, source
// files) are UTF-8 without a byte-order mark, with CR LF line ends, and end
// with one zero byte, the string terminator written out too. Readers take the
// text up to the first zero byte and split lines at LF.

// The file's text up to its first zero byte; nothing when it cannot be read.
std::optional<std::string> readTextFile(const std::filesystem::path& path);

// Writes `text` followed by one zero byte, through a temporary file renamed
// over the target, so that a failed write never leaves a half file behind.
bool writeTextFile(const std::filesystem::path& path, std::string_view text);

// `lines` joined with CR LF (none after the last).
std::string joinLines(const std::vector<std::string>& lines);

// The lines of `text` split at LF, each without its LF and trailing CR.
std::vector<std::string_view> splitLines(std::string_view text);

}  // namespace brambel
