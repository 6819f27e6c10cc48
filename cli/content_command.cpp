// brambel-cli content dump: a library content file's header and every
// section, decoded, as one JSON object.
#include <iostream>
#include <string>

#include "cli/command.h"
#include "store/content_file.h"
#include "store/index_file.h"
#include "store/source_index_text.h"
#include "store/source_links.h"
#include "store/source_result_record.h"
#include "store/source_stats.h"
#include "store/source_text.h"
#include "store/term_offsets.h"
#include "toolkit/json_writer.h"

namespace brambel::cli {
namespace {

extern const CommandRegistration kDump;

using Field = ContentFile::Field;

std::string headerJson(const ContentFile& file) {
  return JsonObjectWriter()
      .add("version", file.u32(static_cast<Field>(0)))
      .add("resultOffset", file.offset(Field::ResultOffset))
      .add("resultTrailingStrings", file.u32(Field::ResultTrailingStrings))
      .add("pageOffset", file.offset(Field::PageOffset))
      .add("pageLength", file.u32(Field::PageLength))
      .add("termsOffset", file.offset(Field::TermsOffset))
      .add("statsFlag", file.u32(Field::StatsFlag))
      .add("statsOffset", file.offset(Field::StatsOffset))
      .add("indexTextSize", file.u32(Field::IndexTextSize))
      .add("indexTextOffset", file.offset(Field::IndexTextOffset))
      .add("linksOffset", file.offset(Field::LinksOffset))
      .str();
}

std::string resultJson(const SourceResult& result) {
  return JsonObjectWriter()
      .add("url", result.url)
      .add("title", result.title)
      .add("description", result.description)
      .add("text4", result.text4)
      .add("contentDate", result.contentDate)
      .add("loadDate", result.loadDate)
      .add("number3", result.number3)
      .add("text1", result.text1)
      .add("imageUrl", result.imageUrl)
      .add("text7", result.text7)
      .str();
}

std::string linksJson(const SourceLinks& links) {
  std::string array = "[";
  for (const auto& [url, text] : links.links) {
    if (array.size() > 1) array += ",";
    array += JsonObjectWriter().add("url", url).add("text", text).str();
  }
  return array + "]";
}

std::string termsJson(const TermOffsets& offsets) {
  std::string object = "{";
  for (const auto& [term, positions] : offsets.terms()) {
    if (object.size() > 1) object += ",";
    appendJsonString(object, term);
    object += ":[";
    for (size_t i = 0; i < positions.size(); ++i) object += (i ? "," : "") + std::to_string(positions[i]);
    object += "]";
  }
  return object + "}";
}

// The term section holds either a per-document index section or a term
// offsets list; an index section is recognised by a valid header.
std::string termSectionJson(const std::string& path, const ContentFile& file, bool& damaged) {
  const uint64_t offset = file.offset(Field::TermsOffset);
  IndexFileOptions options;
  options.readOnly = true;
  IndexFile table(path, offset, options);
  if (table.isValid()) {
    return JsonObjectWriter()
        .add("kind", "table")
        .add("prefixLength", table.prefixLength())
        .add("minimumDegree", table.geometry().minDegree)
        .add("empty", table.isEmpty())
        .str();
  }
  TermOffsets offsets;
  if (offsets.ReadFrom(file)) return JsonObjectWriter().add("kind", "offsets").addRaw("terms", termsJson(offsets)).str();
  damaged = true;
  return R"({"error":"unreadable"})";
}

int runDump(CommandContext& context) {
  auto words = context.args.positionals();
  if (!context.args.error().empty()) return usageError(kDump, context.err, context.args.error());
  if (words.size() != 1) return usageError(kDump, context.err, "expected one FILE");
  const std::string& path = words[0];
  if (!std::filesystem::is_regular_file(path)) {
    context.err << "brambel-cli: " << path << ": no such file\n";
    return 1;
  }
  auto file = ContentFile::openForReading(path);
  if (!file.isUsable()) {
    context.err << "brambel-cli: " << path << ": not a content file (header cut short or of another version)\n";
    return 1;
  }
  bool damaged = false;
  JsonObjectWriter dump;
  dump.add("size", file.size()).addRaw("header", headerJson(file));
  // Each present section is decoded; one that cannot be is reported as such.
  auto section = [&](std::string_view name, Field offsetField, auto&& describe) {
    if (file.offset(offsetField) == 0) return;
    std::string json = describe();
    if (json.empty()) {
      damaged = true;
      json = R"({"error":"unreadable"})";
    }
    dump.addRaw(name, json);
  };
  section("result", Field::ResultOffset, [&] {
    SourceResultRecord record;
    return record.ReadFrom(file) ? resultJson(record.result) : std::string();
  });
  section("page", Field::PageOffset, [&] {
    SourceText text;
    if (!text.ReadFrom(file)) return std::string();
    return JsonObjectWriter().add("size", text.bytes.size()).add("text", text.bytes).str();
  });
  section("terms", Field::TermsOffset, [&] { return termSectionJson(path, file, damaged); });
  section("stats", Field::StatsOffset, [&] {
    SourceStats stats;
    if (!stats.ReadFrom(file)) return std::string();
    return JsonObjectWriter().add("w", stats.w).add("t", stats.t).add("l", stats.l).str();
  });
  section("indexText", Field::IndexTextOffset, [&] {
    SourceIndexText text;
    return text.ReadFrom(file) ? JsonObjectWriter().add("text", text.text).str() : std::string();
  });
  section("links", Field::LinksOffset, [&] {
    SourceLinks links;
    return links.ReadFrom(file) ? linksJson(links) : std::string();
  });
  context.out << dump.str() << "\n";
  if (damaged) {
    context.err << "brambel-cli: " << path << ": some sections are damaged\n";
    return 1;
  }
  return 0;
}

const CommandRegistration kDump{"content", "dump", "FILE",
                                "the header and every section of a library content file, as one JSON object",
                                &runDump};

}  // namespace
}  // namespace brambel::cli
