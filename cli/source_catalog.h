#pragma once

#include "sources/source_registry.h"

namespace brambel::cli {

// The process-wide source registry with every built-in source type in it.
SourceRegistry& sourceRegistry();

}  // namespace brambel::cli
