#include "formats/source_table.h"

#include <system_error>

#include "formats/text_lines.h"
#include "toolkit/ascii_case.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

constexpr char kSourceExtension[] = ".zsrc";
constexpr char kDeleteSuffix[] = ".delete";
// Room for ".zsrc" and ".delete" within the usual 255-byte name limit.
constexpr size_t kLongestStem = 240;

SourceDefinition definitionOf(const SearchSource& source) {
  return {source.GetKey(), source.description(), source.parameters(), source.displayName()};
}

}  // namespace

SourceTable::SourceTable(const SourceRegistry& registry, Preparation prepare)
    : registry_(registry), prepare_(std::move(prepare)) {}

std::shared_ptr<SearchSource> SourceTable::create(const std::u16string& key, const SourceDefinition* definition) const {
  std::shared_ptr<SearchSource> source =
      definition ? registry_.Create(key, definition->name, definition->description, definition->parameters)
                 : registry_.Create(key);
  if (source && prepare_) prepare_(*source);
  return source;
}

void SourceTable::AddBuiltInSources() {
  for (const std::u16string& key : registry_.Keys()) {
    std::shared_ptr<SearchSource> source = create(key, nullptr);
    if (!source) continue;
    std::u16string identity = source->GetInstanceId();
    if (!sources_.count(identity)) sources_.emplace(identity, std::move(source));
  }
}

bool SourceTable::nameInUse(const std::u16string& name) const {
  for (const auto& [identity, source] : sources_)
    if (equalsIgnoringAsciiCase(source->displayName(), name)) return true;
  return false;
}

SourceTable::AddResult SourceTable::AddDefinition(SourceDefinition definition, std::u16string* identity) {
  return Add(std::move(definition), identity, false);
}

SourceTable::AddResult SourceTable::ReplaceDefinition(SourceDefinition definition, std::u16string* identity) {
  return Add(std::move(definition), identity, true);
}

SourceTable::AddResult SourceTable::Add(SourceDefinition definition, std::u16string* identity, bool replace) {
  if (!registry_.Contains(definition.baseKey)) return AddResult::UnknownBaseKey;
  std::shared_ptr<SearchSource> source = create(definition.baseKey, &definition);
  if (!source) return AddResult::UnknownBaseKey;
  std::u16string id = source->GetInstanceId();
  if (identity) *identity = id;
  const bool replacing = sources_.count(id) != 0;
  if (replacing && !replace) return AddResult::SameIdentityExists;
  // The replaced source's name is free for its successor.
  sources_.erase(id);
  userDefined_.erase(id);
  if (nameInUse(definition.name)) {
    std::u16string name;
    for (int counter = 1; nameInUse(name = definition.name + u"(" + toWide(std::to_string(counter), 0) + u")");
         ++counter) {
    }
    source->setDisplayName(name);
  }
  sources_.emplace(id, std::move(source));
  userDefined_.insert(id);
  return replacing ? AddResult::Replaced : AddResult::Added;
}

const SearchSource* SourceTable::find(const std::u16string& identity) const {
  auto found = sources_.find(identity);
  return found == sources_.end() ? nullptr : found->second.get();
}

SourceMap SourceTable::sources() const { return SourceMap(sources_.begin(), sources_.end()); }

std::optional<SourceDefinition> SourceTable::userDefinition(const std::u16string& identity) const {
  if (!userDefined_.count(identity)) return std::nullopt;
  return definitionOf(*sources_.at(identity));
}

std::vector<SourceDefinition> SourceTable::userDefinitions() const {
  std::vector<SourceDefinition> definitions;
  for (const auto& identity : userDefined_) definitions.push_back(definitionOf(*sources_.at(identity)));
  return definitions;
}

std::vector<std::u16string> SourceTable::identities() const {
  std::vector<std::u16string> ids;
  for (const auto& [identity, source] : sources_) ids.push_back(identity);
  return ids;
}

std::u16string SourceTable::nameOf(const std::u16string& identity) const {
  const SearchSource* source = find(identity);
  if (!source) return u"";
  return source->displayName().empty() ? source->GetInfo().displayName : source->displayName();
}

size_t SourceTable::AddSourceFiles(const std::filesystem::path& sourcesDirectory) {
  std::vector<SourceDefinition> definitions;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(sourcesDirectory, error)) {
    if (entry.path().extension() != kSourceExtension) continue;
    if (std::optional<SourceDefinition> definition = ReadSourceFile(entry.path()))
      definitions.push_back(std::move(*definition));
  }
  if (definitions.empty()) {
    // A save that stopped between parking the old files and writing the new
    // ones left only "*.zsrc.delete" files: they are the sources to keep.
    for (const auto& entry : std::filesystem::directory_iterator(sourcesDirectory, error)) {
      std::filesystem::path parked = entry.path();
      if (parked.extension() != kDeleteSuffix || parked.stem().extension() != kSourceExtension) continue;
      if (std::optional<std::string> text = readTextFile(parked))
        definitions.push_back(ReadSourceDefinition(toWide(*text, kCodePageUtf8),
                                                   toWide(parked.stem().stem().string(), kCodePageUtf8)));
    }
  }
  for (auto& definition : definitions) AddDefinition(std::move(definition));
  return definitions.size();
}

void SourceTable::BuildSourceTable(const std::filesystem::path& sourcesDirectory) {
  AddBuiltInSources();
  if (AddSourceFiles(sourcesDirectory) != 0) return;
  for (auto& definition : defaultSourceDefinitions()) AddDefinition(std::move(definition));
  SaveSourceDirectory(sourcesDirectory);
}

bool SourceTable::SaveSourceDirectory(const std::filesystem::path& sourcesDirectory) const {
  std::error_code error;
  std::filesystem::create_directories(sourcesDirectory, error);
  if (!std::filesystem::is_directory(sourcesDirectory, error)) return false;

  std::vector<std::filesystem::path> parked;
  for (const auto& entry : std::filesystem::directory_iterator(sourcesDirectory, error)) {
    if (!entry.is_regular_file(error) || entry.path().extension() == kDeleteSuffix) continue;
    std::filesystem::path target = entry.path();
    target += kDeleteSuffix;
    std::filesystem::rename(entry.path(), target, error);
    if (!error) parked.push_back(target);
  }

  bool written = true;
  std::set<std::string> usedNames;
  for (const SourceDefinition& definition : userDefinitions()) {
    // Two names may make the same file name ("a/b" and "a_b"): number the later one.
    std::string fileName = sourceFileName(definition.name);
    for (int counter = 1; !usedNames.insert(fileName).second; ++counter)
      fileName = sourceFileName(definition.name + u"(" + toWide(std::to_string(counter), 0) + u")");
    written &= writeTextFile(sourcesDirectory / fileName, toNarrow(WriteSourceDefinition(definition), kCodePageUtf8));
  }

  for (const auto& path : parked) {
    if (written) {
      std::filesystem::remove(path, error);
    } else {
      std::filesystem::path original = path;
      original.replace_extension();
      std::filesystem::rename(path, original, error);
    }
  }
  // Left over from an earlier save that stopped half-way.
  for (const auto& entry : std::filesystem::directory_iterator(sourcesDirectory, error))
    if (written && entry.path().extension() == kDeleteSuffix) std::filesystem::remove(entry.path(), error);
  return written;
}

std::vector<SourceDefinition> defaultSourceDefinitions() {
  return {
      {u"google", u"", {{u"site", u"en.wikipedia.org"}}, u"Wikipedia"},
      {u"yahoo", u"php.net", {{u"site", u"www.php.net"}}, u"php"},
  };
}

std::string sourceFileName(const std::u16string& sourceName) {
  std::string stem = toNarrow(sourceName, kCodePageUtf8);
  for (char& c : stem)
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '_';
  if (stem.find_first_not_of('.') == std::string::npos) stem.insert(0, "_");
  if (stem.size() > kLongestStem) {
    size_t cut = kLongestStem;
    while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xc0) == 0x80) --cut;  // whole characters only
    stem.resize(cut);
  }
  return stem + kSourceExtension;
}

}  // namespace brambel
