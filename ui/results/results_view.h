#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QHash>
#include <QPixmap>
#include <QStaticText>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "ui/bridge/library_session.h"
#include "ui/results/placeholder.h"
#include "ui/results/results_layout.h"
#include "ui/results/results_selection.h"

namespace brambel {

class DesktopPrompter;
class ResultsCommands;
class ThumbnailCache;

// The document's results as tiles or list rows, painted by this widget.
// Geometry comes from ResultsLayout; painting covers only the exposed
// results, and thumbnails come from a cache that decodes off the GUI thread.
class ResultsView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  ResultsView(LibrarySession& session, DesktopPrompter& prompter, QWidget* parent = nullptr);
  ~ResultsView() override;

  void setCommands(ResultsCommands* commands) { commands_ = commands; }
  // The thumbnail file of a result, empty when it has none.
  void setThumbnailLookup(std::function<QString(const QString& url)> lookup) { thumbnailOf_ = std::move(lookup); }

  // Takes the session's displayed results again.
  void refresh();
  // Shows these results (a snapshot; refresh() replaces them).
  void setResults(std::vector<DisplayedResult> results);
  // New thumbnails or content for these URLs: decoded copies are dropped
  // and the results drawn again.
  void thumbnailsChanged(const QStringList& urls);
  ViewMode viewMode() const { return mode_; }
  void setViewMode(ViewMode mode);
  // Settings that change the geometry (fonts, sizes, date line) changed.
  void relayout();

  int count() const { return static_cast<int>(results_.size()); }
  const DisplayedResult& resultAt(int index) const { return results_[index]; }
  ResultsLayout currentLayout() const;
  ItemFacts factsOf(int index) const;
  // The geometry of a result in viewport coordinates.
  ItemGeometry geometryInViewport(int index) const;
  QStringList urls() const;
  QStringList selectedUrls() const { return selection_.urls(urls()); }
  ResultsSelection& selection() { return selection_; }
  void selectAllResults();
  // Places the selected results' URLs on the clipboard, one per line.
  void copySelection();
  QFont scaledFont() const;
  ThumbnailCache& thumbnails() { return *thumbnails_; }
  // What a result without a drawable picture shows, from the pipeline's
  // state and what the library held at the last refresh.
  Placeholder placeholderAt(int index) const;

 signals:
  // A result's page to be shown in the preview window; `minibrowser` when
  // the library's saved copy is wanted.
  void openRequested(const QString& url, bool minibrowser);
  // The pointer rested on a thumbnail long enough.
  void hoverPreviewRequested(const QString& url);
  void preloadRequested(const QString& url);
  void sourceRequested(const QString& sourceId, bool settingsDialog);
  void urlSearchRequested(const QString& url);
  void reloadRequested(const QString& url);
  void thumbnailSizeStep(bool larger);
  void fontSizeStep(bool larger);
  void visibleRangeChanged(int first, int last);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  struct Hit {
    int index = -1;
    HotRegion region;
  };
  // What the library knows of a result's picture: looked up once per URL,
  // and again when the pipeline reports a change, never while painting.
  struct PictureFacts {
    QString thumbnail;  // empty: none yet
    bool pageHeld = false;
    bool possibleCrash = false;
  };
  // A result placed in content coordinates, with its text lines laid out
  // once for drawing.
  struct PlacedItem {
    ItemGeometry geometry;
    std::vector<QStaticText> lines;
  };
  PictureFacts lookUpPicture(const QString& url) const;
  std::optional<Hit> hitAt(QPoint viewportPoint) const;
  void pressRegion(const Hit& hit, Qt::KeyboardModifiers modifiers);
  void paintItem(QPainter& painter, int index, const PlacedItem& placed);
  void paintPicture(QPainter& painter, int index, const QRect& rect);
  void paintPlaceholder(QPainter& painter, int index, const QRect& rect);
  const QPixmap& iconPixmap(const HotRegion& region, bool selected) const;
  const QPixmap& placeholderIcon(PlaceholderIcon kind) const;
  void updateScrollBars();
  void hoverTimeout();
  int hoverDelay() const;
  int contentTop() const;
  // The geometry of a result in content coordinates, kept until the layout
  // or the result changes.
  const ItemGeometry& cachedGeometry(int index) const;
  const PlacedItem& cachedItem(int index, const ResultsLayout& layout, const QFont& font) const;
  static ItemGeometry shifted(ItemGeometry geometry, int dy);
  void forgetGeometry(int index = -1);

  LibrarySession& session_;
  DesktopPrompter& prompter_;
  ResultsCommands* commands_ = nullptr;
  ThumbnailCache* thumbnails_;
  std::function<QString(const QString&)> thumbnailOf_;
  std::vector<DisplayedResult> results_;
  std::vector<QString> urls_;
  std::vector<PictureFacts> pictures_;  // per result
  QHash<QString, PictureFacts> knownPictures_;  // by URL, across refreshes
  mutable std::vector<std::optional<PlacedItem>> geometries_;
  mutable std::optional<ResultsLayout::Config> geometryConfig_;
  mutable QFont geometryFont_;
  ViewMode mode_ = ViewMode::Tiles;
  ResultsSelection selection_;
  QString hoveredUrl_;
  QTimer hoverTimer_;
  QElapsedTimer hoverSince_;
  mutable QHash<quint32, QPixmap> icons_;  // state icons by look
  mutable std::array<QPixmap, 5> placeholderIcons_;
  int lastFirst_ = -1;
  int lastLast_ = -1;
};

}  // namespace brambel
