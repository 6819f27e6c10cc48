#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "sources/parameter_map.h"

namespace brambel {

// A user-defined source: a built-in source type with parameter values of its
// own and a display name (unique in the source table, without case).
struct SourceDefinition {
  std::u16string baseKey;  // type key of a built-in source: "rss", "google", "url", ...
  std::u16string description;
  ParameterMap parameters;
  std::u16string name;

  bool operator==(const SourceDefinition&) const = default;
};

// The source body format, also the whole of a ".zsrc" file:
//   line 1   the base source key
//   line 2   the description (may be empty)
//   then     one parameter per line, name "=" value split at the first "=";
//            a line without "=" is a parameter with an empty value.
// Lines end with CR LF when written; trailing blanks of the key and the
// description are dropped when read, and so are empty parameter lines.
SourceDefinition ReadSourceDefinition(const std::u16string& text, const std::u16string& name);
std::u16string WriteSourceDefinition(const SourceDefinition& definition);

// Reads a ".zsrc" file; the source's name is the file name without directory
// and extension. Nothing when the file cannot be read.
std::optional<SourceDefinition> ReadSourceFile(const std::filesystem::path& path);

}  // namespace brambel
