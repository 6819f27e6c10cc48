// brambel-cli content dump: a library content file's header and every
// section, decoded, as one JSON object.
#include <iostream>
#include <string>

#include "cli/command.h"
#include "cli/json_output.h"
#include "store/content_file.h"
#include "store/index_file.h"
#include "store/source_index_text.h"
#include "store/source_links.h"
#include "store/source_list.h"
#include "store/source_result_record.h"
#include "store/source_stats.h"
#include "store/source_text.h"
#include "store/term_offsets.h"

namespace brambel::cli {
namespace {

using Field = ContentFile::Field;

Json headerJson(const ContentFile& file) {
  return {{"version", file.u32(static_cast<Field>(0))},
          {"resultOffset", file.offset(Field::ResultOffset)},
          {"resultTrailingStrings", file.u32(Field::ResultTrailingStrings)},
          {"pageOffset", file.offset(Field::PageOffset)},
          {"pageLength", file.u32(Field::PageLength)},
          {"termsOffset", file.offset(Field::TermsOffset)},
          {"statsFlag", file.u32(Field::StatsFlag)},
          {"statsOffset", file.offset(Field::StatsOffset)},
          {"indexTextSize", file.u32(Field::IndexTextSize)},
          {"indexTextOffset", file.offset(Field::IndexTextOffset)},
          {"linksOffset", file.offset(Field::LinksOffset)},
          {"sourceListOffset", file.offset(Field::SourceListOffset)}};
}

Json storedResultJson(const SourceResult& result) {
  return {{"url", utf8(result.url)},         {"title", utf8(result.title)},
          {"description", utf8(result.description)}, {"text4", utf8(result.text4)},
          {"contentDate", result.contentDate},   {"loadDate", result.loadDate},
          {"number3", result.number3},           {"text1", utf8(result.text1)},
          {"imageUrl", utf8(result.imageUrl)},   {"text7", utf8(result.text7)}};
}

Json linksJson(const SourceLinks& links) {
  Json array = Json::array();
  for (const auto& [url, text] : links.links) array.push_back({{"url", utf8(url)}, {"text", utf8(text)}});
  return array;
}

Json termsJson(const TermOffsets& offsets) {
  Json object = Json::object();
  for (const auto& [term, positions] : offsets.terms()) object[utf8(term)] = positions;
  return object;
}

const Json kUnreadable{{"error", "unreadable"}};

// The term section holds either a per-document index section or a term
// offsets list; an index section is recognised by a valid header.
Json termSectionJson(const std::string& path, const ContentFile& file, bool& damaged) {
  const uint64_t offset = file.offset(Field::TermsOffset);
  IndexFileOptions options;
  options.readOnly = true;
  IndexFile table(path, offset, options);
  if (table.isValid()) {
    return {{"kind", "table"},
            {"prefixLength", table.prefixLength()},
            {"minimumDegree", table.geometry().minDegree},
            {"empty", table.isEmpty()}};
  }
  TermOffsets offsets;
  if (offsets.ReadFrom(file)) return {{"kind", "offsets"}, {"terms", termsJson(offsets)}};
  damaged = true;
  return kUnreadable;
}

int runDump(const std::string& path, CommandContext& context) {
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
  Json dump{{"size", file.size()}, {"header", headerJson(file)}};
  // Each present section is decoded; one that cannot be is reported as such.
  auto section = [&](std::string_view name, Field offsetField, auto&& describe) {
    if (file.offset(offsetField) == 0) return;
    std::optional<Json> json = describe();
    if (!json) {
      damaged = true;
      json = kUnreadable;
    }
    dump[name] = std::move(*json);
  };
  section("result", Field::ResultOffset, [&]() -> std::optional<Json> {
    SourceResultRecord record;
    if (!record.ReadFrom(file)) return std::nullopt;
    return storedResultJson(record.result);
  });
  section("page", Field::PageOffset, [&]() -> std::optional<Json> {
    SourceText text;
    if (!text.ReadFrom(file)) return std::nullopt;
    return Json{{"size", text.bytes.size()}, {"text", text.bytes}};
  });
  section("terms", Field::TermsOffset, [&]() -> std::optional<Json> { return termSectionJson(path, file, damaged); });
  section("stats", Field::StatsOffset, [&]() -> std::optional<Json> {
    SourceStats stats;
    if (!stats.ReadFrom(file)) return std::nullopt;
    return Json{{"w", stats.w}, {"t", stats.t}, {"l", stats.l}};
  });
  section("indexText", Field::IndexTextOffset, [&]() -> std::optional<Json> {
    SourceIndexText text;
    if (!text.ReadFrom(file)) return std::nullopt;
    return Json{{"text", utf8(text.text)}};
  });
  section("links", Field::LinksOffset, [&]() -> std::optional<Json> {
    SourceLinks links;
    if (!links.ReadFrom(file)) return std::nullopt;
    return linksJson(links);
  });
  section("sources", Field::SourceListOffset, [&]() -> std::optional<Json> {
    SourceList sources;
    if (!sources.ReadFrom(file)) return std::nullopt;
    Json ids = Json::array();
    for (const std::u16string& id : sources.ids) ids.push_back(utf8(id));
    return ids;
  });
  context.out << jsonText(dump) << "\n";
  if (damaged) {
    context.err << "brambel-cli: " << path << ": some sections are damaged\n";
    return 1;
  }
  return 0;
}

const CommandRegistration kDump([](CommandLine& line) {
  auto dump = line.command(line.group("content", "the library's content files"), "dump",
                           "the header and every section of a library content file, as one JSON object", &runDump);
  dump.command.add_option("FILE", *dump.args, "the content file")->required();
});

}  // namespace
}  // namespace brambel::cli
