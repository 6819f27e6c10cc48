#pragma once

namespace brambel {

// Row heights of the main window's splitter for a client area `height`
// pixels high: the search bar gets 140; the results H/2, or H − 270 once
// H/4 exceeds 150; the sponsored links, when shown, H/4 (else 0).
struct FrameRows {
  static constexpr int kSearchBarHeight = 140;
  int searchBar = kSearchBarHeight;
  int results = 0;
  int sponsors = 0;
};

FrameRows frameRows(int height, bool sponsorsShown);

}  // namespace brambel
