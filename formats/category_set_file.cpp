#include "formats/category_set_file.h"

#include <optional>
#include <set>

#include "formats/source_table.h"
#include "formats/text_lines.h"
#include "toolkit/ascii_case.h"
#include "toolkit/blank_text.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

enum class BlockKind { None, Description, Startup, Settings, Source, Category, View };

struct Marker {
  std::u16string_view text;
  BlockKind kind;
  bool named;  // followed by "=" and a name
};

constexpr Marker kMarkers[] = {
    {u"[description]", BlockKind::Description, false}, {u"[startup]", BlockKind::Startup, false},
    {u"[settings]", BlockKind::Settings, false},       {u"[source]=", BlockKind::Source, true},
    {u"[category]=", BlockKind::Category, true},       {u"[view]=", BlockKind::View, true},
};

struct Block {
  BlockKind kind = BlockKind::None;
  std::u16string name;
  std::vector<std::u16string_view> body;
};

// A block's name without control characters (they cannot be shown, and a
// written file would turn them into blanks) and trailing blanks.
std::u16string blockName(std::u16string_view text) {
  std::u16string name;
  for (char16_t c : text)
    if (c >= 0x20) name += c;
  return std::u16string(trimEnd(name));
}

// Control characters before a marker (a stray CR) do not hide it: the writer
// drops them, so a later reading would see the marker anyway.
std::optional<Block> blockStart(std::u16string_view line) {
  while (!line.empty() && line.front() < 0x20) line.remove_prefix(1);
  for (const Marker& marker : kMarkers) {
    if (line.substr(0, marker.text.size()) != marker.text) continue;
    Block block{marker.kind, {}, {}};
    if (marker.named) block.name = blockName(line.substr(marker.text.size()));
    return block;
  }
  return std::nullopt;
}

std::u16string joinBody(const std::vector<std::u16string_view>& body) {
  std::u16string text;
  for (size_t i = 0; i < body.size(); ++i) {
    if (i) text += u"\r\n";
    text += body[i];
  }
  return std::u16string(trimEnd(text));
}

Category* findCategory(CategorySet& set, std::u16string_view name) {
  for (Category& category : set.categories)
    if (equalsIgnoringAsciiCase(category.name, name)) return &category;
  return nullptr;
}

void readCategory(const Block& block, CategorySet& set) {
  Category category;
  category.name = block.name;
  size_t first = 0;
  if (!block.body.empty() && block.body[0].substr(0, 5) == u"view=") {
    std::u16string_view mode = trimEnd(block.body[0].substr(5));
    if (equalsIgnoringAsciiCase(mode, u"tiled")) category.viewMode = 2;
    if (equalsIgnoringAsciiCase(mode, u"list")) category.viewMode = 1;
    first = 1;
  }
  for (size_t i = first; i < block.body.size(); ++i) {
    std::u16string_view reference = trimEnd(block.body[i]);
    if (!reference.empty() && reference.front() != u'*') category.references.emplace_back(reference);
  }
  if (Category* earlier = findCategory(set, category.name)) {
    earlier->references.insert(earlier->references.end(), category.references.begin(), category.references.end());
  } else {
    set.categories.push_back(std::move(category));
  }
}

void readBlock(const Block& block, CategorySet& set, SourceDefinitions& definitions) {
  switch (block.kind) {
    case BlockKind::Description:
      set.description = joinBody(block.body);
      break;
    case BlockKind::Startup:
      for (std::u16string_view line : block.body) {
        std::u16string_view command = trimmed(line);
        if (!command.empty() && command.front() != u'#') set.startupCommands.emplace_back(command);
      }
      break;
    case BlockKind::Settings:
      set.settingsText = joinBody(block.body);
      break;
    case BlockKind::Source:
      if (!block.name.empty()) definitions.push_back(ReadSourceDefinition(joinBody(block.body), block.name));
      break;
    case BlockKind::Category:
      if (!block.name.empty()) readCategory(block, set);
      break;
    case BlockKind::View:
    case BlockKind::None:
      break;
  }
}

}  // namespace

void ReadCategorySet(const std::u16string& text, CategorySet& set, SourceDefinitions& definitions) {
  set = CategorySet();
  Block block;
  for (std::u16string_view line : splitWideLines(text)) {
    if (std::optional<Block> next = blockStart(line)) {
      readBlock(block, set, definitions);
      block = std::move(*next);
    } else if (block.kind != BlockKind::None) {
      block.body.push_back(line);
    }
  }
  readBlock(block, set, definitions);
}

std::u16string FormatCategorySet(const CategorySet& set, const SourceTable& table) {
  std::u16string text;
  if (!set.description.empty()) text += u"[description]\r\n" + set.description + u"\r\n";
  if (!set.startupCommands.empty()) {
    text += u"[startup]\r\n";
    for (const auto& command : set.startupCommands) text += oneLine(command) + u"\r\n";
  }
  std::set<std::u16string> written;
  for (const Category& category : set.categories) {
    if (category.flags & Category::kNotWritten) continue;
    for (const auto& reference : category.references) {
      std::optional<SourceDefinition> definition = table.userDefinition(reference);
      if (!definition || !written.insert(reference).second) continue;
      text += u"[source]=" + oneLine(definition->name) + u"\r\n" + WriteSourceDefinition(*definition);
    }
  }
  for (const Category& category : set.categories) {
    if (category.flags & Category::kNotWritten) continue;
    text += u"[category]=" + oneLine(category.name) + u"\r\n";
    if (category.viewMode == 1) text += u"view=list\r\n";
    if (category.viewMode == 2) text += u"view=tiled\r\n";
    for (const auto& reference : category.references) text += oneLine(reference) + u"\r\n";
  }
  return text;
}

bool WriteCategorySet(const CategorySet& set, const std::filesystem::path& path, const SourceTable& table) {
  return writeTextFile(path, toNarrow(FormatCategorySet(set, table), kCodePageUtf8));
}

}  // namespace brambel
