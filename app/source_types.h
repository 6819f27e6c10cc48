#pragma once

#include "sources/source_registry.h"

namespace brambel {

// The process-wide registry of source types, with every built-in type
// registered on the first call. The desktop, the command line and the
// application ask here, so the types are registered in one place, once.
SourceRegistry& builtInSourceTypes();

}  // namespace brambel
