#pragma once

#include <cstdint>

#include "app/program_settings.h"

namespace brambel {

enum class ViewMode { List = 0, Tiles = 1 };

// The font and thumbnail size steps of the View menu, applied to the
// settings of the given view mode.
//   font: +5 percent; −5 while above 0.
//   tiles: both sides × 1.2 or × 0.8333, truncated.
//   list: a side × 1.2 (0 becomes 32); × 0.8333 while above 32, else 0
//   (list thumbnails are then hidden).
void increaseFontScale(ProgramSettings& settings, ViewMode mode);
void decreaseFontScale(ProgramSettings& settings, ViewMode mode);
void increaseThumbnailSize(ProgramSettings& settings, ViewMode mode);
void decreaseThumbnailSize(ProgramSettings& settings, ViewMode mode);

}  // namespace brambel
