#include "formats/result_templates.h"


#include "formats/source_table.h"
#include "toolkit/entities.h"
#include "toolkit/utf8_conversion.h"

namespace brambel {
namespace {

const std::string kHtmlTemplateText = std::string(R"T([body]
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>Brambel Result List</title>
<style type="text/css">
body { font-family: verdana, sans-serif; }
table { text-align: left; margin-top: 12px; }
td { font-size: small; }
h1 { margin-bottom: 0; }
.footer { font-size: x-small; margin-top: 12px; border-top: 1px solid black; }
</style>
</head>
<body>
<h1>Brambel Result List</h1>
(*terms)
<i>Created on: (*date)</i>
(*results)
<div class="footer">Created by <a rel="nofollow" href=")T") + kProjectSite + R"T(">Brambel</a>, An Internet Research Tool</div>
</body>
</html>
[result]
<table>
<tr><th><span style="font-weight: normal">(*pos).</span> <a href="(*url)">(*title)</a></th></tr>
<tr><td>(*description)</td></tr>
<tr><td><i>(*url)</i></td></tr>
(*lastmodified)
</table>
[terms]
<div>Search terms: (*terms)</div>
[lastmodified]
<tr><td></td><td><i>Last Modified: (*date)</i></td></tr>
)T";

const std::string kRssTemplateText = std::string(R"T([body]
<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0" xmlns:brambel=")T") + kResultNamespace + R"T(">
<channel>
<title>Brambel Result List</title>
<description>(*terms)</description>
<link>)T" + kProjectSite + R"T(</link>
(*results)
</channel>
</rss>
[result]
<item>
<title>(*title)</title>
<link>(*url)</link>
<description>(*description)</description>
<guid isPermaLink="false">(*url)</guid>
(*sources)
</item>
[terms]
Search terms: (*terms)
[lastmodified]
[source]
<brambel:source>(*sourceid)</brambel:source>
)T";

std::string escaped(const std::u16string& text) { return utf16ToUtf8(escapeMarkup(text)).value_or(""); }

std::string formatTime(std::time_t time, const char* pattern) {
  std::tm local{};
  localtime_r(&time, &local);
  char buffer[128];
  size_t length = std::strftime(buffer, sizeof buffer, pattern, &local);
  return std::string(buffer, length);
}

}  // namespace

TemplateSections splitTemplate(std::string_view text) {
  TemplateSections sections;
  std::string* current = nullptr;
  bool atHeader = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    size_t next = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line = text.substr(start, next - start);
    std::string_view bare = line.substr(0, line.find_first_of("\r\n"));
    if (bare.size() >= 2 && bare.front() == '[' && bare.back() == ']' &&
        bare.find(']') == bare.size() - 1) {
      current = &sections[std::string(bare.substr(1, bare.size() - 2))];
      current->clear();
      atHeader = true;
    } else if (current && !(atHeader && bare.empty())) {
      atHeader = false;
      *current += line;
    }
    start = next;
  }
  return sections;
}

std::string_view templateText(int resourceId) {
  if (resourceId == kHtmlTemplate) return kHtmlTemplateText;
  if (resourceId == kRssTemplate) return kRssTemplateText;
  return {};
}

std::string renderSection(std::string_view section, const TemplateValues& values) {
  std::string out;
  size_t copied = 0;
  for (size_t at = section.find("(*"); at != std::string_view::npos; at = section.find("(*", copied)) {
    size_t close = section.find(')', at + 2);
    if (close == std::string_view::npos) break;
    out.append(section.substr(copied, at - copied));
    if (auto value = values.find(std::string(section.substr(at + 2, close - at - 2))); value != values.end())
      out += value->second;
    copied = close + 1;
  }
  out.append(section.substr(copied));
  return out;
}

std::string RenderTemplate(int resourceId, const TemplateInput& input, const SourceTable& table) {
  TemplateSections sections = splitTemplate(templateText(resourceId));
  std::string results;
  int position = 1;
  for (const SourceResult& result : *input.results) {
    if (input.selection && !input.selection->count(result.url)) continue;
    TemplateValues values{{"description", escaped(result.description)},
                          {"url", escaped(result.url)},
                          {"title", escaped(result.title)},
                          {"pos", std::to_string(position++)}};
    if (result.contentDate != 0) {
      values["date"] = formatTime(result.contentDate, "%x");
      values["lastmodified"] = renderSection(sections["lastmodified"], values);
    }
    std::string sources;
    for (const std::u16string& id : result.sources) {
      const SearchSource* source = table.find(id);
      if (source && source->IsSearchable() && source->IsInternetSource())
        sources += renderSection(sections["source"], {{"sourceid", escaped(id)}});
    }
    values["sources"] = sources;
    results += renderSection(sections["result"], values);
  }
  TemplateValues body{{"results", results}, {"date", formatTime(input.now, "%x %X")}};
  if (!input.terms.empty()) {
    std::u16string joined;
    for (const auto& term : input.terms) joined += (joined.empty() ? u"" : u" ") + term;
    body["terms"] = renderSection(sections["terms"], {{"terms", escaped(joined)}});
  }
  return renderSection(sections["body"], body);
}

}  // namespace brambel
