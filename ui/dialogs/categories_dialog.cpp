#include "ui/dialogs/categories_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"
#include "ui/bridge/prompter.h"
#include "ui/dialogs/source_editor_dialog.h"

namespace brambel {
namespace {

constexpr int kIdentityRole = Qt::UserRole;
constexpr int kPendingRole = Qt::UserRole + 1;

QString qt(std::u16string_view text) { return QString::fromStdU16String(std::u16string(text)); }

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
  auto* made = new QPushButton(text, parent);
  made->setObjectName(QLatin1String(name));
  return made;
}

}  // namespace

CategoriesDialog::CategoriesDialog(CategoryDraft draft, size_t currentCategory, DesktopPrompter& prompter,
                                   QWidget* parent)
    : QDialog(parent), draft_(std::move(draft)), prompter_(prompter) {
  setObjectName(QStringLiteral("categoriesDialog"));
  setWindowTitle(tr("Categories"));
  auto* columns = new QHBoxLayout;
  buildCategoryColumn(columns);
  buildSourceColumn(columns);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  auto* note = new QLabel(qt(categoryMessages::kFirstIsGeneral), this);
  note->setWordWrap(true);
  layout->addWidget(note);
  layout->addWidget(buttons);
  resize(760, 480);
  refreshCategories(static_cast<int>(currentCategory));
}

void CategoriesDialog::buildCategoryColumn(QBoxLayout* into) {
  auto* box = new QGroupBox(tr("Categories"), this);
  categories_ = new QListWidget(box);
  categories_->setObjectName(QStringLiteral("categoryList"));
  categoryName_ = new QLineEdit(box);
  categoryName_->setObjectName(QStringLiteral("categoryName"));
  categoryName_->setPlaceholderText(tr("Category name"));
  viewMode_ = new QComboBox(box);
  viewMode_->setObjectName(QStringLiteral("categoryView"));
  viewMode_->addItems({tr("Default View"), tr("List"), tr("Tiles")});
  QPushButton* add = button(tr("&Add"), "categoryAdd", box);
  QPushButton* rename = button(tr("&Rename"), "categoryRename", box);
  QPushButton* remove = button(tr("Remo&ve"), "categoryRemove", box);
  QPushButton* up = button(tr("Move &Up"), "categoryUp", box);
  QPushButton* down = button(tr("Move &Down"), "categoryDown", box);

  connect(categories_, &QListWidget::currentRowChanged, this, &CategoriesDialog::categorySelected);
  connect(add, &QPushButton::clicked, this, [this] {
    if (refused(draft_.AddCategory(categoryName_->text().toStdU16String()))) return;
    refreshCategories(static_cast<int>(draft_.set().categories.size()) - 1);
  });
  connect(rename, &QPushButton::clicked, this, [this] {
    const int row = currentCategory();
    if (row < 0 || refused(draft_.RenameCategory(row, categoryName_->text().toStdU16String()))) return;
    refreshCategories(row);
  });
  connect(remove, &QPushButton::clicked, this, [this] {
    const int row = currentCategory();
    if (row < 0 || refused(draft_.RemoveCategory(row))) return;
    refreshCategories(std::min(row, static_cast<int>(draft_.set().categories.size()) - 1));
  });
  auto move = [this](int step) {
    const int row = currentCategory();
    if (row >= 0 && draft_.MoveCategory(row, step)) refreshCategories(row + step);
  };
  connect(up, &QPushButton::clicked, this, [move] { move(-1); });
  connect(down, &QPushButton::clicked, this, [move] { move(1); });
  connect(viewMode_, &QComboBox::activated, this, [this](int mode) {
    if (currentCategory() >= 0) draft_.SetViewMode(currentCategory(), mode);
  });

  auto* order = new QHBoxLayout;
  order->addWidget(up);
  order->addWidget(down);
  auto* edits = new QHBoxLayout;
  edits->addWidget(add);
  edits->addWidget(rename);
  edits->addWidget(remove);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(categories_, 1);
  layout->addLayout(order);
  layout->addWidget(categoryName_);
  layout->addLayout(edits);
  layout->addWidget(viewMode_);
  into->addWidget(box);
}

void CategoriesDialog::buildSourceColumn(QBoxLayout* into) {
  auto* box = new QGroupBox(tr("Sources searched by the category"), this);
  sources_ = new QListWidget(box);
  sources_->setObjectName(QStringLiteral("sourceList"));
  QPushButton* create = button(tr("&New Source"), "sourceNew", box);
  QPushButton* edit = button(tr("&Edit..."), "sourceEdit", box);
  QPushButton* duplicate = button(tr("Du&plicate"), "sourceDuplicate", box);
  QPushButton* remove = button(tr("Dele&te"), "sourceDelete", box);
  QPushButton* save = button(tr("&Save As..."), "sourceSaveFile", box);

  connect(sources_, &QListWidget::itemChanged, this, &CategoriesDialog::sourceToggled);
  connect(sources_, &QListWidget::itemDoubleClicked, this, &CategoriesDialog::editSelectedSource);
  connect(create, &QPushButton::clicked, this, [this] {
    if (refused(draft_.BeginNewSource())) return;
    refreshSources();
    editSelectedSource();
  });
  connect(duplicate, &QPushButton::clicked, this, [this] {
    const QString identity = selectedIdentity();
    if (identity.isEmpty() || refused(draft_.BeginNewSource(identity.toStdU16String()))) return;
    refreshSources();
    editSelectedSource();
  });
  connect(edit, &QPushButton::clicked, this, &CategoriesDialog::editSelectedSource);
  connect(remove, &QPushButton::clicked, this, [this] {
    QListWidgetItem* item = sources_->currentItem();
    if (!item) return;
    if (item->data(kPendingRole).toBool()) draft_.DropPendingSource();
    else draft_.RemoveSource(selectedIdentity().toStdU16String());
    refreshSources();
  });
  connect(save, &QPushButton::clicked, this, [this] {
    if (selectedIdentity().isEmpty()) return;
    QString path = QFileDialog::getSaveFileName(this, tr("Save Source"), sources_->currentItem()->text() + ".zsrc",
                                                tr("Brambel Source (*.zsrc)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QLatin1String(".zsrc"), Qt::CaseInsensitive)) path += QLatin1String(".zsrc");
    if (!saveSelectedSource(path))
      prompter_.Notify(this, QString(), tr("The source could not be saved in %1.").arg(path));
  });
  // Built-in sources are duplicated, not edited or deleted.
  connect(sources_, &QListWidget::currentItemChanged, this, [this, edit, remove](QListWidgetItem* item) {
    const bool own = item && (item->data(kPendingRole).toBool() ||
                              draft_.table().userDefinition(item->data(kIdentityRole).toString().toStdU16String()));
    edit->setEnabled(own);
    remove->setEnabled(own);
  });

  auto* actions = new QHBoxLayout;
  for (QPushButton* each : {create, edit, duplicate, remove, save}) actions->addWidget(each);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(sources_, 1);
  layout->addLayout(actions);
  into->addWidget(box, 1);
}

bool CategoriesDialog::refused(const EditRefusal& refusal) {
  if (refusal) prompter_.Notify(this, QString(), qt(*refusal));
  return refusal.has_value();
}

int CategoriesDialog::currentCategory() const { return categories_->currentRow(); }

QString CategoriesDialog::selectedIdentity() const {
  QListWidgetItem* item = sources_->currentItem();
  return item && !item->data(kPendingRole).toBool() ? item->data(kIdentityRole).toString() : QString();
}

void CategoriesDialog::refreshCategories(int select) {
  refreshing_ = true;
  categories_->clear();
  for (const Category& category : draft_.set().categories) categories_->addItem(qt(category.name));
  refreshing_ = false;
  categories_->setCurrentRow(std::clamp(select, 0, categories_->count() - 1));
  categorySelected();
}

void CategoriesDialog::categorySelected() {
  if (refreshing_) return;
  const int row = currentCategory();
  if (row >= 0) {
    const Category& category = draft_.set().categories[row];
    categoryName_->setText(qt(category.name));
    viewMode_->setCurrentIndex(category.viewMode);
  }
  refreshSources();
}

void CategoriesDialog::refreshSources() {
  const QString selected = selectedIdentity();
  const int category = currentCategory();
  refreshing_ = true;
  sources_->clear();
  auto add = [&](const std::u16string& identity, const QString& text) {
    auto* item = new QListWidgetItem(text, sources_);
    item->setData(kIdentityRole, qt(identity));
    item->setToolTip(qt(identity));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(category >= 0 && draft_.isSourceEnabled(category, identity) ? Qt::Checked : Qt::Unchecked);
    if (qt(identity) == selected) sources_->setCurrentItem(item);
  };
  std::vector<std::pair<QString, std::u16string>> listed;
  for (const std::u16string& identity : draft_.table().identities())
    listed.emplace_back(qt(draft_.label(identity)), identity);
  std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) {
    return QString::localeAwareCompare(a.first, b.first) < 0;
  });
  for (const auto& [text, identity] : listed) add(identity, text);
  // A reference to a source this program does not have stays in the category.
  if (category >= 0)
    for (const std::u16string& identity : draft_.set().categories[category].references)
      if (!draft_.table().find(identity)) add(identity, tr("%1 (unknown source)").arg(qt(identity)));
  if (const auto& pending = draft_.pendingSource()) {
    auto* item = new QListWidgetItem(qt(pending->name), sources_);
    item->setData(kPendingRole, true);
    QFont font = item->font();
    font.setItalic(true);
    item->setFont(font);
    sources_->setCurrentItem(item);
  }
  refreshing_ = false;
}

void CategoriesDialog::sourceToggled(QListWidgetItem* item) {
  if (refreshing_ || item->data(kPendingRole).toBool() || currentCategory() < 0) return;
  draft_.SetSourceEnabled(currentCategory(), item->data(kIdentityRole).toString().toStdU16String(),
                          item->checkState() == Qt::Checked);
}

void CategoriesDialog::editSelectedSource() {
  QListWidgetItem* item = sources_->currentItem();
  if (!item) return;
  const bool pending = item->data(kPendingRole).toBool();
  std::optional<std::u16string> original;
  if (!pending) original = item->data(kIdentityRole).toString().toStdU16String();
  if (original && !draft_.table().userDefinition(*original)) return;
  std::optional<SourceDefinition> definition = pending ? draft_.pendingSource() : draft_.definitionOf(*original);
  if (!definition) return;
  std::u16string saved;
  SourceEditorDialog editor(
      *definition,
      [&](const SourceDefinition& edited) {
        EditRefusal refusal = draft_.SaveSource(original, edited);
        if (!refusal) saved = identityOf(edited);
        return refusal;
      },
      prompter_, this);
  if (editor.exec() != QDialog::Accepted) return;
  // A new source joins the category it was made in.
  if (pending && currentCategory() >= 0) draft_.SetSourceEnabled(currentCategory(), saved, true);
  refreshSources();
  for (int row = 0; row < sources_->count(); ++row)
    if (sources_->item(row)->data(kIdentityRole).toString() == qt(saved)) sources_->setCurrentRow(row);
}

bool CategoriesDialog::saveSelectedSource(const QString& path) {
  std::optional<SourceDefinition> definition = draft_.definitionOf(selectedIdentity().toStdU16String());
  return definition &&
         writeTextFile(path.toStdString(), toNarrow(WriteSourceDefinition(*definition), kCodePageUtf8));
}

}  // namespace brambel
