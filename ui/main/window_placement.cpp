#include "ui/main/window_placement.h"

#include <algorithm>

#include "app/window_rect.h"

namespace brambel {
namespace {

QRect clampedInto(QRect rect, const QRect& available) {
  rect.setWidth(std::min(rect.width(), available.width()));
  rect.setHeight(std::min(rect.height(), available.height()));
  rect.moveLeft(std::clamp(rect.left(), available.left(), available.right() + 1 - rect.width()));
  rect.moveTop(std::clamp(rect.top(), available.top(), available.bottom() + 1 - rect.height()));
  return rect;
}

}  // namespace

QRect initialWindowRect(const std::u16string& stored, const QRect& defaultRect, const QRect& available,
                        int maxDefaultWidth) {
  WindowRect desktop{available.left(), available.top(), available.right() + 1, available.bottom() + 1};
  std::optional<WindowRect> rect = parseWindowRect(stored, desktop);
  if (rect && rect->right != 0 && rect->right > rect->left && rect->bottom > rect->top)
    return clampedInto(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top), available);
  QRect chosen = defaultRect;
  if (maxDefaultWidth > 0 && chosen.width() > maxDefaultWidth) chosen.setWidth(maxDefaultWidth);
  return chosen;
}

std::u16string storedWindowRect(const QRect& rect) {
  return formatWindowRect(WindowRect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()});
}

}  // namespace brambel
