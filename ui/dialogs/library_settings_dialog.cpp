#include "ui/dialogs/library_settings_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImageWriter>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "ui/bridge/library_session.h"
#include "ui/render/image_encoder.h"

namespace brambel {
namespace {

// The two override bits the content loader reads, one table column each.
constexpr int kFlagColumns = 2;
constexpr uint32_t kFlagBits = (1u << kFlagColumns) - 1;

// Every source key of the library's sources, with those the settings name.
std::set<std::u16string> sourceKeys(const SourceTable& table, const LibrarySettings& settings) {
  std::set<std::u16string> keys;
  for (const std::u16string& identity : table.identities())
    if (const SearchSource* source = table.find(identity)) keys.insert(source->GetKey());
  for (const auto& entry : settings.sourceFlags) keys.insert(entry.first);
  return keys;
}

}  // namespace

LibrarySettingsDialog::LibrarySettingsDialog(LibrarySession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("librarySettings"));
  setWindowTitle(tr("Library Settings"));
  tabs_ = new QTabWidget(this);
  tabs_->addTab(buildGeneralPage(), tr("General"));
  tabs_->addTab(buildContentPage(), tr("Content and Previews"));
  tabs_->addTab(buildIndexingPage(), tr("Indexing"));
  tabs_->addTab(buildSourcesPage(), tr("Sources"));
  bindings_.load(storedSettings());

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  auto* note = new QLabel(tr("The number of results per source, the caches, the indexing choices and the preview "
                             "image type take effect when the library is next opened."),
                          this);
  note->setWordWrap(true);
  layout->addWidget(note);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  if (session_.isReadOnly()) {
    auto* note = new QLabel(tr("The library is open read-only: its settings cannot be changed."), this);
    note->setObjectName(QStringLiteral("readOnlyNote"));
    layout->addWidget(note);
    tabs_->setEnabled(false);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
  }
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (apply()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

LibrarySettings LibrarySettingsDialog::storedSettings() const {
  return loadLibrarySettings(session_.libraryDirectory(), session_.application().paths().programData);
}

QWidget* LibrarySettingsDialog::buildGeneralPage() {
  using L = LibrarySettings;
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  bindings_.addCheck(form, "noExpire", tr("Never auto-update content"), &L::noExpire);
  bindings_.addCheck(form, "batchFirstCategory", tr("Always performs batch load in first category tab"),
                     &L::batchFirstCategory);
  bindings_.addNumber(form, "maxSourceResults", tr("Results asked of each source:"), &L::maxSourceResults, 1, 1000);
  startupUrl_ = bindings_.addText(form, "startupURL", tr("Start-up feed or page:"), &L::startupURL);
  startupUrl_->setPlaceholderText(tr("http://... or file://..."));
  bindings_.addText(form, "categoryURL", tr("Category set address:"), &L::categoryURL);
  bindings_.addText(form, "searchLabelOverride", tr("Search field label:"), &L::searchLabelOverride);
  return page;
}

QWidget* LibrarySettingsDialog::buildContentPage() {
  using L = LibrarySettings;
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  // Cache sizes become bytes in 32 bits: at most 4095 MB.
  bindings_.addNumber(form, "contentCacheSize", tr("Content cache:"), &L::contentCacheSize, 1, 4095, tr(" MB"));
  bindings_.addNumber(form, "previewCacheSize", tr("Preview cache:"), &L::previewCacheSize, 1, 4095, tr(" MB"));
  bindings_.addNumber(form, "maxContentLength", tr("Largest page stored:"), &L::maxContentLength, 1024, 1 << 30,
                      tr(" bytes"));
  bindings_.addNumber(form, "maxImageLength", tr("Largest image stored:"), &L::maxImageLength, 1024, 1 << 30,
                      tr(" bytes"));
  bindings_.addCheck(form, "autogenPreview", tr("Automatically generate image previews"), &L::autogenPreview);
  bindings_.addCheck(form, "generateAllPreviews", tr("Generate all previews on batch load"), &L::generateAllPreviews);
  bindings_.addNumber(form, "previewImageWidth", tr("Preview width:"), &L::previewImageWidth, 64, 4096, tr(" px"));
  bindings_.addNumber(form, "previewImageHeight", tr("Preview height:"), &L::previewImageHeight, 64, 8192, tr(" px"));
  previewCodec_ = new QComboBox(page);
  previewCodec_->setObjectName(QStringLiteral("previewCodec"));
  for (const QByteArray& type : QImageWriter::supportedMimeTypes())
    if (encoderForMimeType(QString::fromLatin1(type))) previewCodec_->addItem(QString::fromLatin1(type));
  form->addRow(tr("Preview image type:"), previewCodec_);
  bindings_.bind(
      [this](const LibrarySettings& settings) {
        // A stored type this system cannot write is shown too, and refused on OK.
        const QString codec = QString::fromStdU16String(settings.previewCodec);
        if (previewCodec_->findText(codec) < 0) previewCodec_->addItem(codec);
        previewCodec_->setCurrentText(codec);
      },
      [this](LibrarySettings& settings) { settings.previewCodec = previewCodec_->currentText().toStdU16String(); });
  return page;
}

QWidget* LibrarySettingsDialog::buildIndexingPage() {
  using L = LibrarySettings;
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  bindings_.addCheck(form, "noMainIndexing", tr("Only perform library indexing on permanent results"),
                     &L::noMainIndexing);
  bindings_.addCheck(form, "noURLIndexing", tr("Do not index addresses"), &L::noURLIndexing);
  bindings_.addCheck(form, "noMemoryIndexing", tr("Limit load indexing to conserve memory"), &L::noMemoryIndexing);
  bindings_.addNumber(form, "maxTermLength", tr("Longest word indexed:"), &L::maxTermLength, 1, 256, tr(" characters"));
  stopWords_ = new QPlainTextEdit(page);
  stopWords_->setObjectName(QStringLiteral("stopWords"));
  form->addRow(tr("Words not indexed:"), stopWords_);
  bindings_.bind(
      [this](const LibrarySettings& settings) {
        stopWords_->setPlainText(QString::fromStdU16String(settings.stopWords));
        stopWords_->setProperty("shownText", stopWords_->toPlainText());
      },
      [this](LibrarySettings& settings) {
        // One blank between words, whatever separated them here.
        if (stopWords_->toPlainText() != stopWords_->property("shownText").toString())
          settings.stopWords = stopWords_->toPlainText().simplified().toStdU16String();
      });
  return page;
}

QWidget* LibrarySettingsDialog::buildSourcesPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(new QLabel(tr("Source Library Indexing Override. Click an item's column to toggle the value"), page));
  sourceFlags_ = new QTableWidget(0, 1 + kFlagColumns, page);
  sourceFlags_->setObjectName(QStringLiteral("sourceFlags"));
  sourceFlags_->setHorizontalHeaderLabels({tr("Source"), tr("Override 1"), tr("Override 2")});
  sourceFlags_->verticalHeader()->hide();
  sourceFlags_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  sourceFlags_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  layout->addWidget(sourceFlags_);
  bindings_.bind(
      [this](const LibrarySettings& settings) {
        const std::set<std::u16string> keys = sourceKeys(session_.document().sourceTable(), settings);
        sourceFlags_->setRowCount(static_cast<int>(keys.size()));
        int row = 0;
        for (const std::u16string& key : keys) {
          sourceFlags_->setItem(row, 0, new QTableWidgetItem(QString::fromStdU16String(key)));
          auto found = settings.sourceFlags.find(key);
          const uint32_t flags = found == settings.sourceFlags.end() ? 0 : found->second;
          for (int bit = 0; bit < kFlagColumns; ++bit) {
            auto* item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(flags & (1u << bit) ? Qt::Checked : Qt::Unchecked);
            sourceFlags_->setItem(row, 1 + bit, item);
          }
          ++row;
        }
      },
      [this](LibrarySettings& settings) {
        for (int row = 0; row < sourceFlags_->rowCount(); ++row) {
          const std::u16string key = sourceFlags_->item(row, 0)->text().toStdU16String();
          uint32_t bits = 0;
          for (int bit = 0; bit < kFlagColumns; ++bit)
            if (sourceFlags_->item(row, 1 + bit)->checkState() == Qt::Checked) bits |= 1u << bit;
          // Bits above the two shown are kept as they were.
          auto found = settings.sourceFlags.find(key);
          if (found != settings.sourceFlags.end())
            found->second = (found->second & ~kFlagBits) | bits;
          else if (bits != 0)
            settings.sourceFlags[key] = bits;
        }
      });
  return page;
}

QString LibrarySettingsDialog::problem() const {
  if (!encoderForMimeType(previewCodec_->currentText()))
    return tr("This system cannot write preview images of the type \"%1\". Choose another type.")
        .arg(previewCodec_->currentText());
  const QString startup = startupUrl_->text().trimmed();
  if (!startup.isEmpty() && !startup.startsWith(QLatin1String("http")) && !startup.startsWith(QLatin1String("file://")))
    return tr("The start-up address \"%1\" must begin with http or file://.").arg(startup);
  return {};
}

bool LibrarySettingsDialog::apply() {
  if (const QString reason = problem(); !reason.isEmpty()) {
    QMessageBox::warning(this, windowTitle(), reason);
    return false;
  }
  const LibrarySettings stored = storedSettings();
  LibrarySettings edited = stored;
  bindings_.save(edited);
  if (edited == stored) return true;
  if (!session_.document().SetLibrarySettings(edited)) {
    QMessageBox::warning(this, windowTitle(),
                         tr("The library settings could not be written to \"%1\".")
                             .arg(QString::fromStdString((session_.libraryDirectory() / kLibrarySettingsFileName).string())));
    return false;
  }
  emit applied();
  return true;
}

}  // namespace brambel
