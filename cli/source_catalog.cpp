#include "cli/source_catalog.h"

#include <mutex>

#include "sources/builtin_sources.h"

namespace brambel::cli {

SourceRegistry& sourceRegistry() {
  static std::once_flag registered;
  std::call_once(registered, [] { registerBuiltinSources(SourceRegistry::global()); });
  return SourceRegistry::global();
}

}  // namespace brambel::cli
