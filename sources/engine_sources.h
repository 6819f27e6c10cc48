#pragma once

#include <string_view>
#include <vector>

#include "sources/engine_source.h"

namespace brambel {

// The profiles of the engines and services read through the shared HTTP
// cycle by EngineSource: "altavista", "snipbites", "google_books",
// "googlegroups", "googleimages", "google_patents", "google_scholar" and
// "thottbot".
const std::vector<const EngineProfile*>& engineProfiles();

// The profile registered under `key`; nullptr when there is none.
const EngineProfile* findEngineProfile(std::u16string_view key);

}  // namespace brambel
