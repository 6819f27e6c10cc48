#include "ui/dialogs/category_draft.h"

#include <algorithm>

#include "app/message_texts.h"
#include "toolkit/ascii_case.h"
#include "toolkit/blank_text.h"

namespace brambel {
namespace {

constexpr char16_t kCopySuffix[] = u" copy";

std::u16string trimmedName(const std::u16string& name) { return std::u16string(trimmed(std::u16string_view(name))); }

void replaceReference(CategorySet& set, const std::u16string& from, const std::u16string& to) {
  for (Category& category : set.categories) {
    auto& references = category.references;
    const bool hasTarget = std::find(references.begin(), references.end(), to) != references.end();
    for (auto it = references.begin(); it != references.end();) {
      if (*it != from) {
        ++it;
      } else if (hasTarget || to.empty()) {
        it = references.erase(it);
      } else {
        *it++ = to;
      }
    }
  }
}

}  // namespace

std::u16string identityOf(const SourceDefinition& definition) {
  SourceTable probe;
  std::u16string identity;
  if (probe.AddDefinition(definition, &identity) == SourceTable::AddResult::UnknownBaseKey) return {};
  return identity;
}

CategoryDraft::CategoryDraft(CategorySet set, std::vector<SourceDefinition> definitions)
    : set_(std::move(set)), definitions_(std::move(definitions)) {
  rebuildTable();
}

void CategoryDraft::rebuildTable() {
  table_.emplace();
  table_->AddBuiltInSources();
  for (const SourceDefinition& definition : definitions_) table_->AddDefinition(definition);
}

std::u16string CategoryDraft::label(const std::u16string& identity) const {
  std::u16string name = table_->nameOf(identity);
  return name.empty() ? identity : name;
}

EditRefusal CategoryDraft::checkCategoryName(const std::u16string& name, std::optional<size_t> self) const {
  if (name.empty()) return std::u16string(categoryMessages::kEmptyName);
  for (size_t i = 0; i < set_.categories.size(); ++i)
    if (i != self && equalsIgnoringAsciiCase(set_.categories[i].name, name))
      return std::u16string(categoryMessages::kNameExists);
  return std::nullopt;
}

EditRefusal CategoryDraft::AddCategory(const std::u16string& given) {
  const std::u16string name = trimmedName(given);
  if (EditRefusal refusal = checkCategoryName(name, std::nullopt)) return refusal;
  Category category;
  category.name = name;
  set_.categories.push_back(std::move(category));
  return std::nullopt;
}

EditRefusal CategoryDraft::RenameCategory(size_t index, const std::u16string& given) {
  if (index >= set_.categories.size()) return std::nullopt;
  const std::u16string name = trimmedName(given);
  if (EditRefusal refusal = checkCategoryName(name, index)) return refusal;
  set_.categories[index].name = name;
  return std::nullopt;
}

EditRefusal CategoryDraft::RemoveCategory(size_t index) {
  if (index >= set_.categories.size()) return std::nullopt;
  if (set_.categories.size() == 1) return std::u16string(categoryMessages::kLastCategory);
  set_.categories.erase(set_.categories.begin() + static_cast<std::ptrdiff_t>(index));
  return std::nullopt;
}

bool CategoryDraft::MoveCategory(size_t index, int step) {
  const auto target = static_cast<std::ptrdiff_t>(index) + step;
  if (index >= set_.categories.size() || target < 0 || target >= static_cast<std::ptrdiff_t>(set_.categories.size()))
    return false;
  std::swap(set_.categories[index], set_.categories[static_cast<size_t>(target)]);
  return true;
}

void CategoryDraft::SetViewMode(size_t index, int viewMode) {
  if (index < set_.categories.size()) set_.categories[index].viewMode = viewMode;
}

bool CategoryDraft::isSourceEnabled(size_t category, const std::u16string& identity) const {
  if (category >= set_.categories.size()) return false;
  const auto& references = set_.categories[category].references;
  return std::find(references.begin(), references.end(), identity) != references.end();
}

void CategoryDraft::SetSourceEnabled(size_t category, const std::u16string& identity, bool enabled) {
  if (category >= set_.categories.size() || isSourceEnabled(category, identity) == enabled) return;
  auto& references = set_.categories[category].references;
  if (enabled) references.push_back(identity);
  else references.erase(std::remove(references.begin(), references.end(), identity), references.end());
}

std::optional<size_t> CategoryDraft::findDefinition(const std::u16string& identity) const {
  for (size_t i = 0; i < definitions_.size(); ++i)
    if (identityOf(definitions_[i]) == identity) return i;
  return std::nullopt;
}

std::optional<SourceDefinition> CategoryDraft::definitionOf(const std::u16string& identity) const {
  if (std::optional<size_t> index = findDefinition(identity)) return definitions_[*index];
  if (const SearchSource* source = table_->find(identity))
    return SourceDefinition{source->GetKey(), source->description(), source->parameters(), label(identity)};
  return std::nullopt;
}

EditRefusal CategoryDraft::BeginNewSource(const std::optional<std::u16string>& copyOf) {
  if (pending_) return std::u16string(categoryMessages::kNewSourceExists);
  if (copyOf) {
    std::optional<SourceDefinition> original = definitionOf(*copyOf);
    if (!original) return std::nullopt;
    original->name += kCopySuffix;
    pending_ = std::move(original);
  } else {
    pending_ = SourceDefinition{};
    pending_->name = categoryMessages::kNewSourceName;
  }
  return std::nullopt;
}

EditRefusal CategoryDraft::SaveSource(const std::optional<std::u16string>& original, SourceDefinition edited) {
  edited.name = trimmedName(edited.name);
  edited.baseKey = trimmedName(edited.baseKey);
  const std::u16string identity = edited.baseKey.empty() ? std::u16string() : identityOf(edited);
  if (edited.name.empty() || identity.empty()) return std::u16string(categoryMessages::kSourceIncomplete);
  // The file splits a parameter line at its first "=": such a name would not read back.
  for (const auto& [name, value] : edited.parameters)
    if (name.find(u'=') != std::u16string::npos) return FormatMessage(categoryMessages::kParameterName, name);

  const std::optional<size_t> self = original ? findDefinition(*original) : std::nullopt;
  if (original && !self) return std::u16string(categoryMessages::kBuiltInSource);
  for (size_t i = 0; i < definitions_.size(); ++i) {
    if (i == self) continue;
    if (equalsIgnoringAsciiCase(definitions_[i].name, edited.name))
      return FormatMessage(categoryMessages::kDuplicateSource, definitions_[i].name);
  }
  // Another source with the same characteristics would silently stand in for this one.
  if (identity != original.value_or(std::u16string()) && table_->find(identity))
    return FormatMessage(categoryMessages::kDuplicateSource, label(identity));

  if (self) {
    definitions_[*self] = std::move(edited);
    if (identity != *original) replaceReference(set_, *original, identity);
  } else {
    definitions_.push_back(std::move(edited));
    pending_.reset();
  }
  rebuildTable();
  return std::nullopt;
}

bool CategoryDraft::RemoveSource(const std::u16string& identity) {
  std::optional<size_t> index = findDefinition(identity);
  if (!index) return false;
  definitions_.erase(definitions_.begin() + static_cast<std::ptrdiff_t>(*index));
  replaceReference(set_, identity, {});
  rebuildTable();
  return true;
}

}  // namespace brambel
