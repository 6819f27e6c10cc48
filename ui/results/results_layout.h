#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

#include "ui/main/view_sizing.h"

namespace brambel {

// The active areas of a drawn result.
enum class RegionKind { Item, Preview, Href, Url, Source, Permanent, Info, Minibrowser };

struct HotRegion {
  QRect rect;
  RegionKind kind = RegionKind::Item;
  QString tip;
  int item = -1;
  int source = -1;  // for Source: the index into the result's sources
};

// What the layout needs to know of one result.
struct ItemFacts {
  QString title;
  QString url;
  QString snippet;
  std::optional<QString> dateLine;
  QStringList sourceNames;
  bool permanent = false;
  bool ignored = false;
  bool viewed = false;
  bool pinned = false;
  bool minibrowser = false;  // the library holds a page to read offline
};

// One result placed: its rectangles, its fitted text lines and hot regions.
struct ItemGeometry {
  struct Line {
    QRect rect;
    QString text;
  };
  QRect item;
  QRect picture;  // empty when list thumbnails are hidden
  Line title;
  Line snippet;  // list rows only
  Line url;
  std::optional<Line> date;
  std::vector<Line> sources;
  std::vector<HotRegion> regions;  // the item region first, then the inner ones
};

// Places results as tiles or list rows, in content coordinates (the view
// adds its scroll offset). Plain geometry: no painting, no widgets.
//
// Tiles: a grid of cells `thumb` wide, the picture `thumb` high with the
// title, URL, date and source lines and the icon row below. List: one row
// per result, the picture on the left (hidden when a side is 0), text lines
// on its right.
class ResultsLayout {
 public:
  static constexpr int kMargin = 8;
  static constexpr int kIconSize = 16;
  static constexpr int kIconGap = 4;

  struct Config {
    ViewMode mode = ViewMode::Tiles;
    int viewportWidth = 800;
    QSize thumb{256, 256};
    bool dateLine = true;
    bool sources = true;
    bool operator==(const Config&) const = default;
  };

  ResultsLayout(Config config, const QFontMetrics& metrics);

  const Config& config() const { return config_; }
  int columns() const { return columns_; }
  QRect itemRect(int index) const;
  int contentHeight(int count) const;
  // The items meeting content rows [top, top + height): first and one past last.
  std::pair<int, int> visibleRange(int top, int height, int count) const;
  // The item under a content point, or -1.
  int itemAt(QPoint point, int count) const;
  ItemGeometry geometry(int index, const ItemFacts& facts) const;
  // The innermost region of `geometry` holding `point`, or nullptr.
  static const HotRegion* hit(const ItemGeometry& geometry, QPoint point);

 private:
  int textLineCount() const;
  QSize cellSize() const;

  Config config_;
  QFontMetrics metrics_;
  int lineHeight_;
  int columns_ = 1;
};

}  // namespace brambel
