#include "app/source_types.h"

#include <mutex>

#include "sources/builtin_sources.h"

namespace brambel {

SourceRegistry& builtInSourceTypes() {
  static std::once_flag registered;
  std::call_once(registered, [] { registerBuiltinSources(SourceRegistry::global()); });
  return SourceRegistry::global();
}

}  // namespace brambel
