#pragma once

#include <optional>
#include <string>

namespace brambel {

// A window rectangle as the settings keep it ("mainPosition",
// "previewPosition"): "left,top,right,bottom" in decimal.
struct WindowRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const WindowRect&) const = default;
};

// The stored rectangle, or nothing when the text holds none, when its
// top-left corner lies outside `desktop`, or when its top equals its bottom:
// the window then gets its default placement.
std::optional<WindowRect> parseWindowRect(const std::u16string& text, const WindowRect& desktop);

std::u16string formatWindowRect(const WindowRect& rect);

}  // namespace brambel
