#include "ui/render/thumbnail_maker.h"

#include <algorithm>

namespace brambel {

std::optional<QSize> thumbnailSize(QSize image, int width, int height) {
  if (image.isEmpty()) return std::nullopt;
  if (width == -1) return image;
  if (width <= 0 || height < 0) return std::nullopt;
  double scale = static_cast<double>(width) / image.width();
  if (height > 0) scale = std::min(scale, static_cast<double>(height) / image.height());
  const QSize size(static_cast<int>(image.width() * scale), static_cast<int>(image.height() * scale));
  if (size.isEmpty()) return std::nullopt;
  return size;
}

QImage makeThumbnail(const QImage& image, int width, int height) {
  std::optional<QSize> size = thumbnailSize(image.size(), width, height);
  if (!size) return {};
  if (*size == image.size()) return image;
  return image.scaled(*size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace brambel
