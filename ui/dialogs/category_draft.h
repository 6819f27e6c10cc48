#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/category_set.h"
#include "formats/source_table.h"

namespace brambel {

// The messages of the category and source editors, as the user reads them.
namespace categoryMessages {
inline constexpr std::u16string_view kEmptyName = u"The Category name cannot be empty!";
inline constexpr std::u16string_view kNameExists = u"The Category name you entered already exists!";
inline constexpr std::u16string_view kLastCategory = u"You cannot delete the last Category!";
inline constexpr std::u16string_view kFirstIsGeneral =
    u"Note that the first category is always 'general' and displays unfiltered results.";
inline constexpr std::u16string_view kSourceIncomplete = u"Name and Base Source are required.";
inline constexpr std::u16string_view kDuplicateSource = u"Duplicate Source Exists: %s";
inline constexpr std::u16string_view kNewSourceExists = u"A New Source already exists!";
inline constexpr std::u16string_view kNewSourceName = u"<New Source>";
inline constexpr std::u16string_view kParameterName = u"A parameter name cannot contain \"=\": %s";
inline constexpr std::u16string_view kBuiltInSource = u"A built-in source cannot be changed; duplicate it instead.";
}  // namespace categoryMessages

// A refusal: the message to show; nothing when the change was made.
using EditRefusal = std::optional<std::u16string>;

// The categories dialog's working copy: the categories and the user-defined
// sources as the user edits them, checked by the editors' rules. Nothing
// reaches the library until the caller applies the result; a refused change
// leaves the draft as it was.
class CategoryDraft {
 public:
  CategoryDraft(CategorySet set, std::vector<SourceDefinition> definitions);

  const CategorySet& set() const { return set_; }
  const std::vector<SourceDefinition>& definitions() const { return definitions_; }
  // Built-in sources and the user-defined ones, by identity.
  const SourceTable& table() const { return *table_; }
  // What the source lists show for `identity`: its name, else its identity.
  std::u16string label(const std::u16string& identity) const;

  EditRefusal AddCategory(const std::u16string& name);
  EditRefusal RenameCategory(size_t index, const std::u16string& name);
  EditRefusal RemoveCategory(size_t index);
  // Moves a category one place up (-1) or down (+1); false at either end.
  bool MoveCategory(size_t index, int step);
  void SetViewMode(size_t index, int viewMode);
  // Lists (appended last) or unlists a source in a category.
  void SetSourceEnabled(size_t category, const std::u16string& identity, bool enabled);
  bool isSourceEnabled(size_t category, const std::u16string& identity) const;

  // A new source not saved yet: "<New Source>", or a copy of `identity`'s
  // definition named with " copy". Only one may wait at a time.
  EditRefusal BeginNewSource(const std::optional<std::u16string>& copyOf = std::nullopt);
  const std::optional<SourceDefinition>& pendingSource() const { return pending_; }
  void DropPendingSource() { pending_.reset(); }
  // The definition the editor starts from: the pending one, or that of `identity`.
  std::optional<SourceDefinition> definitionOf(const std::u16string& identity) const;
  // Saves an edited source: the pending one when `original` is empty, else
  // the user-defined source under `original` (built-in sources are refused).
  // A source whose identity changes keeps its places in the categories.
  EditRefusal SaveSource(const std::optional<std::u16string>& original, SourceDefinition edited);
  // Removes a user-defined source and its places in the categories.
  bool RemoveSource(const std::u16string& identity);

 private:
  void rebuildTable();
  std::optional<size_t> findDefinition(const std::u16string& identity) const;
  EditRefusal checkCategoryName(const std::u16string& name, std::optional<size_t> self) const;

  CategorySet set_;
  std::vector<SourceDefinition> definitions_;
  std::optional<SourceTable> table_;  // rebuilt after every source change
  std::optional<SourceDefinition> pending_;
};

// The identity a definition's source would have; empty for an unknown base key.
std::u16string identityOf(const SourceDefinition& definition);

}  // namespace brambel
