#include "ui/dialogs/debug_statistics_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "pipeline/content_pipeline.h"
#include "ui/bridge/library_session.h"

namespace brambel {
namespace {

enum Column { kModule, kThreads, kQueue, kProcessing, kCount, kColumns };

constexpr int kSearchRow = 5;

}  // namespace

DebugStatisticsWindow::DebugStatisticsWindow(LibrarySession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("debugStatistics"));
  setWindowTitle(tr("Debug Statistics"));
  table_ = new QTreeWidget(this);
  table_->setObjectName(QStringLiteral("statistics"));
  table_->setRootIsDecorated(false);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->setHeaderLabels({tr("Module"), tr("Threads"), tr("Queue"), tr("Processing"), tr("Count")});
  for (int row = 0; row <= kSearchRow; ++row) {
    auto* item = new QTreeWidgetItem(table_);
    for (int column = kThreads; column < kColumns; ++column) item->setTextAlignment(column, Qt::AlignRight);
  }
  table_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(buttons);
  resize(480, 240);

  timer_.setInterval(kRefreshIntervalMs);
  connect(&timer_, &QTimer::timeout, this, &DebugStatisticsWindow::refresh);
  refresh();
}

void DebugStatisticsWindow::setRow(int row, const QString& module, const QStringList& values) {
  QTreeWidgetItem* item = table_->topLevelItem(row);
  item->setText(kModule, module);
  for (int column = kThreads; column < kColumns; ++column) item->setText(column, values.value(column - kThreads));
}

void DebugStatisticsWindow::refresh() {
  // The pipeline is replaced when the library settings change: ask for it each time.
  ContentPipeline* pipeline = session_.document().pipeline();
  // The first reading spans an unknown time: it only starts the count.
  const bool counting = sinceRefresh_.isValid();
  const double seconds = counting ? static_cast<double>(std::max<qint64>(sinceRefresh_.restart(), 1)) / 1000.0 : 1.0;
  if (!counting) sinceRefresh_.start();
  if (pipeline) {
    IndexingRates rates = pipeline->takeIndexingRates();
    if (!counting) rates = {};
    int row = 0;
    for (const PoolStatistics& pool : pipeline->statistics()) {
      QString count = QString::number(pool.handled);
      if (pool.name == "index")
        count = tr("%1 items/s, %2 terms/s")
                    .arg(QString::asprintf("%.3f", static_cast<double>(rates.items) / seconds),
                         QString::asprintf("%.3f", static_cast<double>(rates.terms) / seconds));
      setRow(row++, QString::fromStdString(pool.name),
             {QString::number(pool.threads), QString::number(pool.queued), QString::number(pool.processing), count});
    }
  } else {
    // A read-only library runs no content work.
    const char* modules[] = {"thumb", "render", "index", "save", "load"};
    for (int row = 0; row < kSearchRow; ++row) setRow(row, QString::fromLatin1(modules[row]), {tr("none")});
  }
  setRow(kSearchRow, QStringLiteral("search"), {QString::number(session_.searchRun().runningSourceCount())});
}

void DebugStatisticsWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  timer_.start();
}

void DebugStatisticsWindow::hideEvent(QHideEvent* event) {
  timer_.stop();
  QDialog::hideEvent(event);
}

}  // namespace brambel
