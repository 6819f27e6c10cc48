#include "formats/source_definition.h"

#include "formats/text_lines.h"
#include "toolkit/blank_text.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {

SourceDefinition ReadSourceDefinition(const std::u16string& text, const std::u16string& name) {
  SourceDefinition definition;
  definition.name = name;
  std::vector<std::u16string_view> lines = splitWideLines(text);
  if (!lines.empty()) definition.baseKey = trimmed(lines[0]);
  if (lines.size() > 1) definition.description = trimEnd(lines[1]);
  for (size_t i = 2; i < lines.size(); ++i) {
    std::u16string_view line = lines[i];
    if (trimEnd(line).empty()) continue;
    size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos)
      definition.parameters[std::u16string(line)] = u"";
    else
      definition.parameters[std::u16string(line.substr(0, equals))] = std::u16string(line.substr(equals + 1));
  }
  return definition;
}

std::u16string WriteSourceDefinition(const SourceDefinition& definition) {
  std::u16string text = oneLine(definition.baseKey) + u"\r\n" + oneLine(definition.description) + u"\r\n";
  for (const auto& [name, value] : definition.parameters) text += oneLine(name) + u"=" + oneLine(value) + u"\r\n";
  return text;
}

std::optional<SourceDefinition> ReadSourceFile(const std::filesystem::path& path) {
  std::optional<std::string> text = readTextFile(path);
  if (!text) return std::nullopt;
  return ReadSourceDefinition(toWide(*text, kCodePageUtf8), toWide(path.stem().string(), kCodePageUtf8));
}

}  // namespace brambel
