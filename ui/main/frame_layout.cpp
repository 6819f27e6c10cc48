#include "ui/main/frame_layout.h"

namespace brambel {

FrameRows frameRows(int height, bool sponsorsShown) {
  FrameRows rows;
  rows.results = height / 4 > 150 ? height - 270 : height / 2;
  rows.sponsors = sponsorsShown ? height / 4 : 0;
  return rows;
}

}  // namespace brambel
