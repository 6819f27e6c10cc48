#pragma once

#include <QImage>
#include <QSize>
#include <optional>

namespace brambel {

// The size of a thumbnail of an image `image` for a request of `width` ×
// `height`: width −1 keeps the image's size; height 0 scales to the width;
// otherwise the image is fitted into the box (smaller images are enlarged).
// Fractions are cut off. Nothing for an empty image or box.
std::optional<QSize> thumbnailSize(QSize image, int width, int height);

// The image scaled to thumbnailSize(); a null image when there is none.
QImage makeThumbnail(const QImage& image, int width, int height);

}  // namespace brambel
