#pragma once

#include <QRect>
#include <string>

namespace brambel {

// Where a window first appears: the stored rectangle ("left,top,right,bottom")
// when it has a non-zero right edge and its corner lies on `available`,
// clamped into `available`; otherwise `defaultRect`, cut to `maxDefaultWidth`
// at the same left edge when it is wider (0: no cut).
QRect initialWindowRect(const std::u16string& stored, const QRect& defaultRect, const QRect& available,
                        int maxDefaultWidth);

// The text stored for a window's normal geometry.
std::u16string storedWindowRect(const QRect& rect);

}  // namespace brambel
