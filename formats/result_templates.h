#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "store/source_result.h"

namespace brambel {

class SourceTable;

// The two export templates, by resource number.
inline constexpr int kHtmlTemplate = 110;
inline constexpr int kRssTemplate = 112;

// The maker's site, linked from both templates, and the namespace of the
// "brambel:" elements of the RSS form.
inline constexpr char kProjectSite[] = "https://brambel.org/";
inline constexpr char kResultNamespace[] = "https://brambel.org/ns/results/1.0";

// A template is divided into sections: a line "[name]" starts the section of
// that name, which runs to the next such line (the line breaks right after
// the header are not part of it). Placeholders are "(*name)".
using TemplateSections = std::map<std::string, std::string>;
TemplateSections splitTemplate(std::string_view text);

// The text of a template resource; empty for an unknown number.
std::string_view templateText(int resourceId);

// `section` with each placeholder replaced by its value, left to right; a
// name without a value gives nothing. Values go in as they are.
using TemplateValues = std::map<std::string, std::string>;
std::string renderSection(std::string_view section, const TemplateValues& values);

struct TemplateInput {
  const std::vector<SourceResult>* results = nullptr;
  // When given, only results whose URL it holds are written.
  const std::set<std::u16string>* selection = nullptr;
  std::vector<std::u16string> terms;  // the held search terms; none when empty
  std::time_t now = 0;                // the "Created on" time
};

// The results in the template's form (UTF-8). Every value taken from a
// result or the terms is escaped for markup: the output is HTML or XML, and
// a title must not end an element or open one of its own.
std::string RenderTemplate(int resourceId, const TemplateInput& input, const SourceTable& table);

}  // namespace brambel
