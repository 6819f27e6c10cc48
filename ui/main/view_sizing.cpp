#include "ui/main/view_sizing.h"

namespace brambel {
namespace {

constexpr double kGrow = 1.2;
constexpr double kShrink = 0.8333;
constexpr uint32_t kListThumbStep = 32;

uint32_t scaled(uint32_t size, double factor) { return static_cast<uint32_t>(size * factor); }

uint32_t& fontScale(ProgramSettings& settings, ViewMode mode) {
  return mode == ViewMode::Tiles ? settings.tileFontScale : settings.listFontScale;
}

uint32_t grownListSide(uint32_t size) { return size == 0 ? kListThumbStep : scaled(size, kGrow); }
uint32_t shrunkListSide(uint32_t size) { return size > kListThumbStep ? scaled(size, kShrink) : 0; }

}  // namespace

void increaseFontScale(ProgramSettings& settings, ViewMode mode) { fontScale(settings, mode) += 5; }

void decreaseFontScale(ProgramSettings& settings, ViewMode mode) {
  uint32_t& scale = fontScale(settings, mode);
  if (scale > 5) scale -= 5;
}

void increaseThumbnailSize(ProgramSettings& settings, ViewMode mode) {
  if (mode == ViewMode::Tiles) {
    settings.tileWidth = scaled(settings.tileWidth, kGrow);
    settings.tileHeight = scaled(settings.tileHeight, kGrow);
  } else {
    settings.listThumbWidth = grownListSide(settings.listThumbWidth);
    settings.listThumbHeight = grownListSide(settings.listThumbHeight);
  }
}

void decreaseThumbnailSize(ProgramSettings& settings, ViewMode mode) {
  if (mode == ViewMode::Tiles) {
    settings.tileWidth = scaled(settings.tileWidth, kShrink);
    settings.tileHeight = scaled(settings.tileHeight, kShrink);
  } else {
    settings.listThumbWidth = shrunkListSide(settings.listThumbWidth);
    settings.listThumbHeight = shrunkListSide(settings.listThumbHeight);
  }
}

}  // namespace brambel
