#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "formats/category_set.h"
#include "search/search_run.h"
#include "sources/search_source.h"
#include "sources/source_registry.h"

namespace brambel {

// The document's sources by instance id: one of every built-in type with
// default parameters, plus the user-defined sources made from definitions.
//
// A source never changes once it is in the table: the table hands out
// read-only views, and search runs share ownership of the sources they run,
// so replacing the table (new categories) while a search runs frees nothing
// a source thread still uses. A changed source is a new source.
class SourceTable {
 public:
  // Gives each new source what it needs from the program (the library source
  // its library) before the table holds it.
  using Preparation = std::function<void(SearchSource&)>;

  explicit SourceTable(const SourceRegistry& registry = SourceRegistry::global(), Preparation prepare = {});

  // Adds one source of every registered type under its identity unless that
  // identity is present.
  void AddBuiltInSources();

  enum class AddResult { Added, Replaced, UnknownBaseKey, SameIdentityExists };
  // Adds a user-defined source. A definition whose base key names no type is
  // skipped; one whose identity is already present leaves the existing
  // source. A name already used by another source (without case) becomes
  // "name(1)", "name(2)", ... When given, `identity` receives the source's id.
  AddResult AddDefinition(SourceDefinition definition, std::u16string* identity = nullptr);
  // The same, except that a source of the same identity is replaced (the
  // user agreed to overwrite it): Replaced then. Searches still running the
  // old source keep it until they end.
  AddResult ReplaceDefinition(SourceDefinition definition, std::u16string* identity = nullptr);

  // The source under `identity`, or nullptr.
  const SearchSource* find(const std::u16string& identity) const;
  // Every source by identity, for a search run, which keeps them alive.
  SourceMap sources() const;
  // The definition of the user-defined source under `identity`, or nothing
  // for built-in or unknown ones.
  std::optional<SourceDefinition> userDefinition(const std::u16string& identity) const;
  // Every user-defined source's definition, in identity order.
  std::vector<SourceDefinition> userDefinitions() const;
  // Every identity, in order.
  std::vector<std::u16string> identities() const;
  // The display name of `identity`: its definition's name, or the source's own.
  std::u16string nameOf(const std::u16string& identity) const;

  // Adds the definition of every ".zsrc" file of `sourcesDirectory` (or, when
  // there is none, of the "*.zsrc.delete" files a stopped save left behind).
  // Reads only. Returns how many definitions were found.
  size_t AddSourceFiles(const std::filesystem::path& sourcesDirectory);

  // Fills the table for a library: built-in sources, then every ".zsrc" file of
  // `sourcesDirectory`; when that holds none, the two default definitions,
  // saved there at once.
  void BuildSourceTable(const std::filesystem::path& sourcesDirectory);

  // Rewrites `sourcesDirectory` with one "<name>.zsrc" file per user-defined
  // source: present files are first renamed "*.delete", the new ones written,
  // then the "*.delete" files removed; on a failed write the old files are
  // put back. Names become safe file names (see sourceFileName).
  bool SaveSourceDirectory(const std::filesystem::path& sourcesDirectory) const;

 private:
  bool nameInUse(const std::u16string& name) const;
  AddResult Add(SourceDefinition definition, std::u16string* identity, bool replace);

  std::shared_ptr<SearchSource> create(const std::u16string& key, const SourceDefinition* definition) const;

  const SourceRegistry& registry_;
  const Preparation prepare_;
  std::map<std::u16string, std::shared_ptr<SearchSource>> sources_;
  std::set<std::u16string> userDefined_;
};

// The two definitions a library starts with when it has no source files.
std::vector<SourceDefinition> defaultSourceDefinitions();

// The file name (without directory) for a source name: its UTF-8 bytes with
// "/", "\\" and control characters replaced by "_", a name made only of dots
// or an empty one prefixed with "_", cut to keep the file name within the
// file system's limit, then ".zsrc". Never names anything outside the
// directory it is joined to.
std::string sourceFileName(const std::u16string& sourceName);

}  // namespace brambel
