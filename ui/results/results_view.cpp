#include "ui/results/results_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>

#include "pipeline/stored_page_fields.h"
#include "store/library_store.h"
#include "ui/bridge/prompter.h"
#include "ui/results/date_line.h"
#include "ui/results/placeholder.h"
#include "ui/results/results_commands.h"
#include "ui/results/thumbnail_cache.h"

namespace brambel {
namespace {

const char kMinibrowserNotice[] =
    "The mini-browser is a minimal browser for viewing content within the library. Links are answered from "
    "the library, and scripts and active content are off unless you allow them in the preferences.";

QString iconLetter(RegionKind kind, const QString& tip) {
  if (kind == RegionKind::Permanent) return QStringLiteral("P");
  if (kind == RegionKind::Minibrowser) return QStringLiteral("B");
  return tip.left(1);
}

}  // namespace

ResultsView::ResultsView(LibrarySession& session, DesktopPrompter& prompter, QWidget* parent)
    : QAbstractScrollArea(parent), session_(session), prompter_(prompter) {
  setObjectName(QStringLiteral("resultsView"));
  thumbnails_ = new ThumbnailCache(static_cast<int>(session.settings().thumbCacheSize), this);
  connect(thumbnails_, &ThumbnailCache::ready, viewport(), qOverload<>(&QWidget::update));
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  hoverTimer_.setSingleShot(true);
  hoverTimer_.setTimerType(Qt::PreciseTimer);  // the hover delay is a promise to the user
  connect(&hoverTimer_, &QTimer::timeout, this, &ResultsView::hoverTimeout);
  verticalScrollBar()->setSingleStep(24);
}

ResultsView::~ResultsView() = default;

void ResultsView::refresh() { setResults(session_.displayedResults()); }

void ResultsView::setResults(std::vector<DisplayedResult> results) {
  results_ = std::move(results);
  forgetGeometry();
  urls_.clear();
  urls_.reserve(results_.size());
  pictures_.clear();
  pictures_.reserve(results_.size());
  QHash<QString, PictureFacts> known;
  for (const DisplayedResult& result : results_) {
    const QString url = QString::fromStdU16String(result.record.url);
    auto found = knownPictures_.constFind(url);
    const PictureFacts facts = found != knownPictures_.cend() ? *found : lookUpPicture(url);
    known.insert(url, facts);
    urls_.push_back(url);
    pictures_.push_back(facts);
  }
  knownPictures_ = std::move(known);
  selection_.Retain(urls());
  updateScrollBars();
  viewport()->update();
}

void ResultsView::thumbnailsChanged(const QStringList& changed) {
  for (const QString& url : changed) {
    auto found = knownPictures_.find(url);
    if (found == knownPictures_.end()) continue;
    if (!found->thumbnail.isEmpty()) thumbnails_->forget(found->thumbnail);
    knownPictures_.erase(found);
  }
  refresh();
}

ResultsView::PictureFacts ResultsView::lookUpPicture(const QString& url) const {
  PictureFacts facts;
  facts.thumbnail = thumbnailOf_ ? thumbnailOf_(url) : QString();
  const std::u16string key = url.toStdU16String();
  if (std::shared_ptr<LibraryStore> store = session_.document().library()) {
    if (std::optional<SourceResult> record = store->readRecord(session_.marksOf(key).recordId)) {
      facts.pageHeld = true;
      facts.possibleCrash = StoredPageFields::possibleCrash(*record);
    }
  }
  return facts;
}

void ResultsView::setViewMode(ViewMode mode) {
  mode_ = mode;
  relayout();
}

void ResultsView::relayout() {
  forgetGeometry();
  updateScrollBars();
  viewport()->update();
}

QFont ResultsView::scaledFont() const {
  QFont scaled = font();
  const ProgramSettings& settings = session_.settings();
  const uint32_t scale = mode_ == ViewMode::Tiles ? settings.tileFontScale : settings.listFontScale;
  scaled.setPointSizeF(std::max(1.0, font().pointSizeF() * scale / 100.0));
  return scaled;
}

ResultsLayout ResultsView::currentLayout() const {
  const ProgramSettings& settings = session_.settings();
  ResultsLayout::Config config;
  config.mode = mode_;
  config.viewportWidth = viewport()->width();
  config.thumb = mode_ == ViewMode::Tiles
                     ? QSize(static_cast<int>(settings.tileWidth), static_cast<int>(settings.tileHeight))
                     : QSize(static_cast<int>(settings.listThumbWidth), static_cast<int>(settings.listThumbHeight));
  config.dateLine = dateLine(settings.displayDate, session_.sortOrder(), {}).has_value();
  config.sources = settings.displaySources;
  return ResultsLayout(config, QFontMetrics(scaledFont()));
}

ItemFacts ResultsView::factsOf(int index) const {
  const DisplayedResult& result = results_[index];
  const SourceResult& record = result.record;
  ItemFacts facts;
  facts.title = QString::fromStdU16String(record.title);
  facts.url = QString::fromStdU16String(record.url);
  facts.snippet = QString::fromStdU16String(record.description).left(
      static_cast<int>(session_.settings().snippetDisplayLength));
  facts.dateLine = dateLine(session_.settings().displayDate, session_.sortOrder(),
                            {record.loadDate, record.contentDate, result.marks.clickDate, result.marks.hoverDate});
  for (const std::u16string& id : record.sources) facts.sourceNames.append(QString::fromStdU16String(session_.sourceName(id)));
  facts.permanent = result.marks.isPermanent();
  facts.ignored = result.marks.isIgnored();
  facts.viewed = result.marks.clickDate != 0 || result.marks.hoverDate != 0;
  facts.pinned = result.pinned;
  facts.minibrowser = pictures_[index].pageHeld;
  return facts;
}

int ResultsView::contentTop() const { return verticalScrollBar()->value(); }

void ResultsView::forgetGeometry(int index) {
  if (index < 0) {
    geometries_.clear();
    geometryConfig_.reset();
  } else if (index < static_cast<int>(geometries_.size())) {
    geometries_[index].reset();
  }
}

const ItemGeometry& ResultsView::cachedGeometry(int index) const {
  return cachedItem(index, currentLayout(), scaledFont()).geometry;
}

const ResultsView::PlacedItem& ResultsView::cachedItem(int index, const ResultsLayout& layout, const QFont& font) const {
  if (!geometryConfig_ || !(*geometryConfig_ == layout.config()) || geometryFont_ != font ||
      geometries_.size() != results_.size()) {
    geometries_.assign(results_.size(), std::nullopt);
    geometryConfig_ = layout.config();
    geometryFont_ = font;
  }
  std::optional<PlacedItem>& cached = geometries_[index];
  if (!cached) {
    cached.emplace();
    cached->geometry = layout.geometry(index, factsOf(index));
    const ItemGeometry& g = cached->geometry;
    auto prepared = [&font](const QString& text) {
      QStaticText line(text);
      line.setTextFormat(Qt::PlainText);
      line.setPerformanceHint(QStaticText::AggressiveCaching);
      line.prepare(QTransform(), font);
      return line;
    };
    // In drawing order: title, snippet, URL, date, sources.
    cached->lines.push_back(prepared(g.title.text));
    cached->lines.push_back(prepared(g.snippet.text));
    cached->lines.push_back(prepared(g.url.text));
    cached->lines.push_back(prepared(g.date ? g.date->text : QString()));
    for (const auto& source : g.sources) cached->lines.push_back(prepared(source.text));
  }
  return *cached;
}

ItemGeometry ResultsView::geometryInViewport(int index) const {
  return shifted(cachedGeometry(index), -contentTop());
}

ItemGeometry ResultsView::shifted(ItemGeometry g, int dy) {
  const QPoint shift(0, dy);
  g.item.translate(shift);
  g.picture.translate(shift);
  g.title.rect.translate(shift);
  g.snippet.rect.translate(shift);
  g.url.rect.translate(shift);
  if (g.date) g.date->rect.translate(shift);
  for (auto& line : g.sources) line.rect.translate(shift);
  for (auto& region : g.regions) region.rect.translate(shift);
  return g;
}

QStringList ResultsView::urls() const { return QStringList(urls_.begin(), urls_.end()); }

void ResultsView::selectAllResults() {
  selection_.SelectAll(urls());
  viewport()->update();
}

void ResultsView::copySelection() {
  QStringList chosen = selectedUrls();
  if (!chosen.isEmpty()) QApplication::clipboard()->setText(chosen.join(QLatin1Char('\n')));
}

void ResultsView::updateScrollBars() {
  ResultsLayout layout = currentLayout();
  const int height = layout.contentHeight(count());
  verticalScrollBar()->setPageStep(viewport()->height());
  verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
}

void ResultsView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void ResultsView::scrollContentsBy(int, int) { viewport()->update(); }

void ResultsView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const QPalette& colours = palette();
  painter.fillRect(event->rect(), colours.base());
  const QFont font = scaledFont();
  painter.setFont(font);
  ResultsLayout layout = currentLayout();
  const int top = contentTop();
  const QRect exposed = event->rect().translated(0, top);
  // Items stay in content coordinates; the painter scrolls instead.
  painter.translate(0, -top);
  auto [first, last] = layout.visibleRange(exposed.top(), exposed.height(), count());
  for (int i = first; i < last; ++i) {
    if (!layout.itemRect(i).intersects(exposed)) continue;
    paintItem(painter, i, cachedItem(i, layout, font));
  }
  painter.resetTransform();
  if (count() == 0) {
    painter.setPen(colours.color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect(), Qt::AlignCenter, tr("No results"));
  }
  auto range = layout.visibleRange(top, viewport()->height(), count());
  if (range.first != lastFirst_ || range.second != lastLast_) {
    lastFirst_ = range.first;
    lastLast_ = range.second;
    emit visibleRangeChanged(range.first, range.second);
  }
}

void ResultsView::paintItem(QPainter& painter, int index, const PlacedItem& placed) {
  const ItemGeometry& g = placed.geometry;
  const QPalette& colours = palette();
  const bool selected = selection_.contains(urls_[index]);
  if (selected) painter.fillRect(g.item, colours.highlight());
  else if (urls_[index] == hoveredUrl_) painter.fillRect(g.item, colours.alternateBase());
  const QColor text = colours.color(selected ? QPalette::HighlightedText : QPalette::Text);
  const QColor link = selected ? text : colours.color(QPalette::Link);
  const QColor faint = selected ? text : colours.color(QPalette::PlaceholderText);

  if (!g.picture.isEmpty()) paintPicture(painter, index, g.picture);

  // Lines were laid out with the view's font, so they are drawn in it too.
  auto draw = [&](const ItemGeometry::Line& line, const QStaticText& laidOut) {
    if (!line.text.isEmpty()) painter.drawStaticText(line.rect.topLeft(), laidOut);
  };
  painter.setPen(link);
  draw(g.title, placed.lines[0]);
  painter.setPen(text);
  draw(g.snippet, placed.lines[1]);
  painter.setPen(faint);
  draw(g.url, placed.lines[2]);
  if (g.date) draw(*g.date, placed.lines[3]);
  painter.setPen(link);
  for (size_t i = 0; i < g.sources.size(); ++i) draw(g.sources[i], placed.lines[4 + i]);

  for (const HotRegion& region : g.regions)
    if (region.kind == RegionKind::Permanent || region.kind == RegionKind::Info || region.kind == RegionKind::Minibrowser)
      painter.drawPixmap(region.rect.topLeft(), iconPixmap(region, selected));
}

const QPixmap& ResultsView::iconPixmap(const HotRegion& region, bool selected) const {
  const QString letter = iconLetter(region.kind, region.tip);
  const bool on = region.kind != RegionKind::Permanent || region.tip == QStringLiteral("Permanent");
  const bool filled = on && region.kind == RegionKind::Permanent;
  const quint32 key = (letter.isEmpty() ? 0u : letter.at(0).unicode()) | (on ? 1u << 16 : 0u) |
                      (filled ? 1u << 17 : 0u) | (selected ? 1u << 18 : 0u);
  auto found = icons_.find(key);
  if (found != icons_.end()) return *found;
  const QPalette& colours = palette();
  const QColor text = colours.color(selected ? QPalette::HighlightedText : QPalette::Text);
  const QColor faint = selected ? text : colours.color(QPalette::PlaceholderText);
  const qreal ratio = devicePixelRatioF();
  const int side = ResultsLayout::kIconSize;
  QPixmap icon(QSize(side, side) * ratio);
  icon.setDevicePixelRatio(ratio);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setPen(on ? text : faint);
  painter.setBrush(filled ? colours.brush(QPalette::Link) : Qt::NoBrush);
  painter.drawRoundedRect(QRect(0, 0, side - 1, side - 1), 3, 3);
  QFont small = font();
  small.setPixelSize(10);
  painter.setFont(small);
  painter.setPen(filled ? colours.color(QPalette::Base) : text);
  painter.drawText(QRect(0, 0, side, side), Qt::AlignCenter, letter);
  painter.end();
  return *icons_.insert(key, icon);
}

void ResultsView::paintPicture(QPainter& painter, int index, const QRect& rect) {
  const PictureFacts& picture = pictures_[index];
  const QColor frame = palette().color(QPalette::Mid);
  if (const QPixmap* pixmap = thumbnails_->find(picture.thumbnail, rect.size())) {
    QRect target(QPoint(), pixmap->deviceIndependentSize().toSize());
    target.moveCenter(rect.center());
    painter.drawPixmap(target, *pixmap);
    // A page is often as white as the tile: the frame shows where it ends.
    painter.setPen(frame);
    painter.drawRect(target.adjusted(0, 0, -1, -1));
    return;
  }
  if (!picture.thumbnail.isEmpty() && !thumbnails_->isUnreadable(picture.thumbnail, rect.size())) {
    painter.setPen(frame);  // being decoded: the picture follows in a moment
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    return;
  }
  paintPlaceholder(painter, index, rect);
}

Placeholder ResultsView::placeholderAt(int index) const {
  PlaceholderFacts facts;
  if (ContentPipeline* pipeline = session_.document().pipeline())
    facts = pipelineFacts(*pipeline, results_[index].record.url);
  facts.minibrowserCan = pictures_[index].pageHeld;
  facts.possibleCrash = pictures_[index].possibleCrash;
  facts.crashMarking = true;  // no setting hides the caption
  return choosePlaceholder(facts);
}

void ResultsView::paintPlaceholder(QPainter& painter, int index, const QRect& rect) {
  const Placeholder placeholder = placeholderAt(index);
  const QPalette& colours = palette();
  painter.setPen(QPen(colours.color(QPalette::Mid), 1, Qt::DashLine));
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  const QFontMetrics metrics = painter.fontMetrics();
  const QPixmap& icon = placeholderIcon(placeholder.icon);
  const QSize iconSize = icon.deviceIndependentSize().toSize();
  const bool iconFits = rect.width() > iconSize.width() + 4 && rect.height() > iconSize.height() + 4;
  const bool captioned = !placeholder.caption.isEmpty() && rect.height() >= metrics.height();
  QRect iconRect(QPoint(), iconSize);
  const bool both = iconFits && captioned && rect.height() >= iconSize.height() + 3 * metrics.height();
  iconRect.moveCenter(QPoint(rect.center().x(), both ? rect.center().y() - metrics.height() : rect.center().y()));
  if (iconFits && (both || !captioned)) painter.drawPixmap(iconRect.topLeft(), icon);
  if (!captioned) return;
  painter.setPen(colours.color(QPalette::PlaceholderText));
  const QRect captionRect = both ? QRect(rect.left() + 4, iconRect.bottom() + 4, rect.width() - 8, rect.bottom() - iconRect.bottom() - 4)
                                 : rect.adjusted(4, 4, -4, -4);
  painter.drawText(captionRect, (both ? Qt::AlignTop : Qt::AlignVCenter) | Qt::AlignHCenter | Qt::TextWordWrap,
                   placeholder.caption);
}

const QPixmap& ResultsView::placeholderIcon(PlaceholderIcon kind) const {
  QPixmap& icon = placeholderIcons_[static_cast<size_t>(kind)];
  if (icon.isNull()) {
    static constexpr QStyle::StandardPixmap kLooks[] = {QStyle::SP_BrowserReload, QStyle::SP_FileDialogContentsView,
                                                        QStyle::SP_MessageBoxWarning, QStyle::SP_FileIcon,
                                                        QStyle::SP_ArrowDown};
    icon = style()->standardIcon(kLooks[static_cast<size_t>(kind)]).pixmap(QSize(32, 32), devicePixelRatioF());
  }
  return icon;
}

std::optional<ResultsView::Hit> ResultsView::hitAt(QPoint viewportPoint) const {
  ResultsLayout layout = currentLayout();
  const QPoint content = viewportPoint + QPoint(0, contentTop());
  const int index = layout.itemAt(content, count());
  if (index < 0) return std::nullopt;
  const HotRegion* region = ResultsLayout::hit(cachedGeometry(index), content);
  if (!region) return std::nullopt;
  Hit hit{index, *region};
  hit.region.rect.translate(0, -contentTop());
  return hit;
}

int ResultsView::hoverDelay() const {
  const ProgramSettings& settings = session_.settings();
  if (settings.previewAnimate) return 0;
  return static_cast<int>(mode_ == ViewMode::Tiles ? settings.tileHoverDelay : settings.listHoverDelay);
}

void ResultsView::mouseMoveEvent(QMouseEvent* event) {
  QAbstractScrollArea::mouseMoveEvent(event);
  if (!window()->isActiveWindow()) return;
  std::optional<Hit> hit = hitAt(event->position().toPoint());
  if (!hit) {
    hoveredUrl_.clear();
    hoverTimer_.stop();
    QToolTip::hideText();
    viewport()->unsetCursor();
    return;
  }
  const bool hand = hit->region.kind == RegionKind::Href || hit->region.kind == RegionKind::Source;
  if (hand) viewport()->setCursor(Qt::PointingHandCursor);
  else viewport()->unsetCursor();
  if (!hit->region.tip.isEmpty())
    QToolTip::showText(event->globalPosition().toPoint(), hit->region.tip, viewport(), hit->region.rect);
  const QString url = urls_[hit->index];
  if (hit->region.kind == RegionKind::Preview && url != hoveredUrl_) {
    hoveredUrl_ = url;
    hoverSince_.start();
    hoverTimer_.start(hoverDelay());
    const ProgramSettings& settings = session_.settings();
    if (settings.preloadMinibrowser && !settings.previewAnimate) emit preloadRequested(url);
    viewport()->update();
  } else if (hit->region.kind != RegionKind::Preview && url != hoveredUrl_) {
    hoverTimer_.stop();
  }
}

void ResultsView::hoverTimeout() {
  std::optional<Hit> hit = hitAt(viewport()->mapFromGlobal(QCursor::pos()));
  if (!hit || hit->region.kind != RegionKind::Preview) return;
  const QString url = urls_[hit->index];
  if (url != hoveredUrl_) return;
  session_.RecordHover(url.toStdU16String());
  results_[hit->index].marks = session_.marksOf(url.toStdU16String());
  forgetGeometry(hit->index);
  viewport()->update();
  emit hoverPreviewRequested(url);
}

void ResultsView::leaveEvent(QEvent* event) {
  QAbstractScrollArea::leaveEvent(event);
  hoveredUrl_.clear();
  hoverTimer_.stop();
  viewport()->update();
}

void ResultsView::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  if (std::optional<Hit> hit = hitAt(event->position().toPoint())) pressRegion(*hit, event->modifiers());
}

void ResultsView::pressRegion(const Hit& hit, Qt::KeyboardModifiers modifiers) {
  DisplayedResult& result = results_[hit.index];
  const QString url = urls_[hit.index];
  auto recordClick = [&] {
    session_.RecordClick(result.record.url);
    result.marks = session_.marksOf(result.record.url);
    forgetGeometry(hit.index);
  };
  switch (hit.region.kind) {
    case RegionKind::Preview:
    case RegionKind::Minibrowser:
      if (!session_.holdsPage(result.record.url)) {
        emit reloadRequested(url);
        return;
      }
      prompter_.Notify(this, QStringLiteral("minibrowser"), QString::fromLatin1(kMinibrowserNotice));
      recordClick();
      emit openRequested(url, true);
      break;
    case RegionKind::Href:
      recordClick();
      emit openRequested(url, false);
      break;
    case RegionKind::Source:
      if (hit.region.source >= 0 && hit.region.source < static_cast<int>(result.record.sources.size()))
        emit sourceRequested(QString::fromStdU16String(result.record.sources[hit.region.source]),
                             modifiers & Qt::ControlModifier);
      break;
    case RegionKind::Url:
      emit urlSearchRequested(url);
      break;
    case RegionKind::Permanent:
      session_.SetPermanent(result.record.url, !result.marks.isPermanent());
      result.marks = session_.marksOf(result.record.url);
      forgetGeometry(hit.index);
      break;
    case RegionKind::Item:
    case RegionKind::Info:
      selection_.Press(hit.index, modifiers, urls());
      break;
  }
  viewport()->update();
}

void ResultsView::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const int key = event->key();
  if (key == Qt::Key_Plus || key == Qt::Key_Equal || key == Qt::Key_Minus) {
    const bool larger = key != Qt::Key_Minus;
    ctrl ? emit fontSizeStep(larger) : emit thumbnailSizeStep(larger);
    return;
  }
  if (!ctrl && commands_ && commands_->triggerKey(key)) return;
  QAbstractScrollArea::keyPressEvent(event);
}

void ResultsView::contextMenuEvent(QContextMenuEvent* event) {
  std::optional<Hit> hit = hitAt(event->pos());
  if (!hit || !commands_) return;
  const QString url = urls_[hit->index];
  if (!selection_.contains(url)) selection_.Press(hit->index, Qt::NoModifier, urls());
  viewport()->update();
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("resultsContextMenu"));
  commands_->fillMenu(&menu);
  commands_->updateEnabled();
  menu.addSeparator();
  menu.addAction(tr("Cancel"));
  menu.exec(event->globalPos());
}

bool ResultsView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) return true;  // tips follow the hot regions in mouseMoveEvent
  return QAbstractScrollArea::viewportEvent(event);
}

}  // namespace brambel
