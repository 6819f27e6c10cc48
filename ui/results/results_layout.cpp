#include "ui/results/results_layout.h"

#include <algorithm>

#include "ui/results/text_fitting.h"

namespace brambel {

ResultsLayout::ResultsLayout(Config config, const QFontMetrics& metrics)
    : config_(config), metrics_(metrics), lineHeight_(metrics.height()) {
  config_.thumb = QSize(std::max(0, config_.thumb.width()), std::max(0, config_.thumb.height()));
  if (config_.mode == ViewMode::Tiles) {
    // A tile is never narrower than an icon row, even after many size steps.
    config_.thumb.setWidth(std::max(config_.thumb.width(), 4 * (kIconSize + kIconGap)));
    columns_ = std::max(1, (config_.viewportWidth - kMargin) / (config_.thumb.width() + kMargin));
  } else if (config_.thumb.width() == 0 || config_.thumb.height() == 0) {
    config_.thumb = QSize(0, 0);
  }
}

int ResultsLayout::textLineCount() const {
  int lines = config_.mode == ViewMode::Tiles ? 2 : 3;  // title, (snippet), URL
  return lines + (config_.dateLine ? 1 : 0) + (config_.sources ? 1 : 0);
}

QSize ResultsLayout::cellSize() const {
  const int textHeight = textLineCount() * lineHeight_ + kIconSize + kIconGap;
  if (config_.mode == ViewMode::Tiles)
    return QSize(config_.thumb.width() + kMargin, config_.thumb.height() + kIconGap + textHeight + kMargin);
  return QSize(std::max(1, config_.viewportWidth), std::max(config_.thumb.height(), textHeight) + kMargin);
}

QRect ResultsLayout::itemRect(int index) const {
  const QSize cell = cellSize();
  if (config_.mode == ViewMode::Tiles) {
    const int row = index / columns_;
    const int column = index % columns_;
    return QRect(kMargin + column * cell.width(), kMargin + row * cell.height(), cell.width() - kMargin,
                 cell.height() - kMargin);
  }
  return QRect(0, kMargin / 2 + index * cell.height(), cell.width(), cell.height());
}

int ResultsLayout::contentHeight(int count) const {
  if (count <= 0) return 0;
  const int rows = config_.mode == ViewMode::Tiles ? (count + columns_ - 1) / columns_ : count;
  return rows * cellSize().height() + kMargin;
}

std::pair<int, int> ResultsLayout::visibleRange(int top, int height, int count) const {
  const int step = cellSize().height();
  const int perRow = config_.mode == ViewMode::Tiles ? columns_ : 1;
  const int firstRow = std::max(0, (top - kMargin) / step);
  const int lastRow = std::max(0, (top + height) / step + 1);
  return {std::min(count, firstRow * perRow), std::min(count, (lastRow + 1) * perRow)};
}

int ResultsLayout::itemAt(QPoint point, int count) const {
  auto [first, last] = visibleRange(point.y(), 1, count);
  for (int i = first; i < last; ++i)
    if (itemRect(i).contains(point)) return i;
  return -1;
}

ItemGeometry ResultsLayout::geometry(int index, const ItemFacts& facts) const {
  ItemGeometry g;
  g.item = itemRect(index);
  int textLeft = g.item.left();
  int textTop = g.item.top();
  int textWidth = g.item.width();
  if (config_.mode == ViewMode::Tiles) {
    g.picture = QRect(g.item.topLeft(), config_.thumb);
    textTop = g.picture.bottom() + 1 + kIconGap;
  } else {
    if (!config_.thumb.isEmpty()) g.picture = QRect(g.item.left() + kMargin, g.item.top(), config_.thumb.width(), config_.thumb.height());
    textLeft = g.item.left() + kMargin + (g.picture.isEmpty() ? 0 : g.picture.width() + kMargin);
    textWidth = std::max(1, g.item.right() - kMargin - textLeft);
  }

  int y = textTop;
  auto nextLine = [&](const QString& text) {
    QString fitted = fitText(text, textWidth, metrics_);
    ItemGeometry::Line line{QRect(textLeft, y, std::min(textWidth, metrics_.horizontalAdvance(fitted)), lineHeight_), fitted};
    y += lineHeight_;
    return line;
  };
  g.title = nextLine(facts.title.isEmpty() ? facts.url : facts.title);
  if (config_.mode == ViewMode::List) g.snippet = nextLine(facts.snippet);
  g.url = nextLine(facts.url);
  if (config_.dateLine) {
    if (facts.dateLine) g.date = nextLine(*facts.dateLine);
    else y += lineHeight_;
  }
  if (config_.sources) {
    int x = textLeft;
    const int right = textLeft + textWidth;
    const int separator = metrics_.horizontalAdvance(QStringLiteral(", "));
    for (const QString& name : facts.sourceNames) {
      if (x >= right) break;
      QString fitted = fitText(name, right - x, metrics_);
      int width = std::min(right - x, metrics_.horizontalAdvance(fitted));
      g.sources.push_back({QRect(x, y, width, lineHeight_), fitted});
      x += width + separator;
    }
    y += lineHeight_;
  }

  g.regions.push_back({g.item, RegionKind::Item, QString(), index});
  if (!g.picture.isEmpty()) g.regions.push_back({g.picture, RegionKind::Preview, QString(), index});
  g.regions.push_back({g.title.rect, RegionKind::Href, facts.url, index});
  g.regions.push_back({g.url.rect, RegionKind::Url, QStringLiteral("Search the library for this site"), index});
  for (size_t i = 0; i < g.sources.size(); ++i)
    g.regions.push_back({g.sources[i].rect, RegionKind::Source, facts.sourceNames[static_cast<int>(i)], index,
                         static_cast<int>(i)});

  int x = textLeft;
  auto icon = [&](RegionKind kind, const QString& tip) {
    g.regions.push_back({QRect(x, y + kIconGap / 2, kIconSize, kIconSize), kind, tip, index});
    x += kIconSize + kIconGap;
  };
  icon(RegionKind::Permanent, facts.permanent ? QStringLiteral("Permanent") : QStringLiteral("Non-Permanent"));
  if (facts.ignored) icon(RegionKind::Info, QStringLiteral("Ignored"));
  if (facts.viewed) icon(RegionKind::Info, QStringLiteral("Viewed/Read"));
  if (facts.pinned) icon(RegionKind::Info, QStringLiteral("Pinned"));
  if (facts.minibrowser) icon(RegionKind::Minibrowser, QStringLiteral("Open in the mini-browser"));
  return g;
}

const HotRegion* ResultsLayout::hit(const ItemGeometry& geometry, QPoint point) {
  // The item region comes first and holds all others: the last match is innermost.
  const HotRegion* found = nullptr;
  for (const HotRegion& region : geometry.regions)
    if (region.rect.contains(point)) found = &region;
  return found;
}

}  // namespace brambel
