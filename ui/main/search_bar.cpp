#include "ui/main/search_bar.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"

namespace brambel {
namespace {

const QString kClearHistory = QStringLiteral("<Clear History>");

}  // namespace

SearchBar::SearchBar(LibrarySession& session, DesktopPrompter& prompter, QWidget* parent)
    : QWidget(parent), session_(session), prompter_(prompter) {
  setObjectName(QStringLiteral("searchBar"));
  tabs_ = new QTabBar(this);
  tabs_->setObjectName(QStringLiteral("categoryTabs"));
  tabs_->setExpanding(false);
  tabs_->setDocumentMode(true);

  terms_ = new QComboBox(this);
  terms_->setObjectName(QStringLiteral("terms"));
  terms_->setEditable(true);
  terms_->setInsertPolicy(QComboBox::NoInsert);
  terms_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  terms_->lineEdit()->setPlaceholderText(tr("Search terms"));
  terms_->setToolTip(tr("Type your search terms and press Load"));
  load_ = new QPushButton(tr("Load"), this);
  load_->setObjectName(QStringLiteral("load"));
  load_->setDefault(true);
  load_->setToolTip(tr("Load results from the internet"));

  modes_ = new QButtonGroup(this);
  modes_->setExclusive(true);
  const QStringList names{tr("Load"), tr("Filter"), tr("Permanent")};
  const QStringList tips{tr("Load results from the internet"), tr("Filter through loaded results"),
                         tr("Search through items marked permanent")};
  auto* modeRow = new QHBoxLayout;
  for (int mode = 0; mode < 3; ++mode) {
    auto* button = new QToolButton(this);
    button->setObjectName(QStringLiteral("mode%1").arg(mode));
    button->setText(names[mode]);
    button->setToolTip(tips[mode]);
    button->setCheckable(true);
    button->setAutoRaise(true);
    modes_->addButton(button, mode);
    modeRow->addWidget(button);
  }
  clear_ = new QPushButton(tr("Clear"), this);
  clear_->setObjectName(QStringLiteral("clear"));
  clear_->setToolTip(tr("Empty the recent results and return to loading"));
  modeRow->addWidget(clear_);
  modeRow->addStretch();
  countCaption_ = new QLabel(this);
  countCaption_->setObjectName(QStringLiteral("countCaption"));
  modeRow->addWidget(countCaption_);
  more_ = new QLabel(QStringLiteral("<a href=\"more\">%1</a>").arg(tr("Click For More Results")), this);
  more_->setObjectName(QStringLiteral("moreResults"));
  more_->hide();
  modeRow->addWidget(more_);

  auto* termsRow = new QHBoxLayout;
  termsRow->addWidget(terms_, 1);
  termsRow->addWidget(load_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addLayout(termsRow);
  layout->addLayout(modeRow);
  layout->addStretch();

  connect(load_, &QPushButton::clicked, this,
          [this] { emit searchRequested(terms(), QApplication::keyboardModifiers()); });
  connect(terms_->lineEdit(), &QLineEdit::returnPressed, this,
          [this] { emit searchRequested(terms(), QApplication::keyboardModifiers()); });
  connect(terms_, &QComboBox::activated, this, &SearchBar::historyChosen);
  connect(terms_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) { previousText_ = text; });
  connect(modes_, &QButtonGroup::idClicked, this, &SearchBar::modeSelected);
  connect(clear_, &QPushButton::clicked, this, &SearchBar::clearRequested);
  connect(more_, &QLabel::linkActivated, this, &SearchBar::moreRequested);
  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    if (!rebuilding_ && index >= 0) emit categorySelected(index);
  });
  refresh();
}

QString SearchBar::terms() const { return terms_->currentText().trimmed(); }

void SearchBar::rebuildTabs() {
  rebuilding_ = true;
  while (tabs_->count() > 0) tabs_->removeTab(0);
  const auto& categories = session_.categories().categories;
  for (size_t i = 0; i < categories.size(); ++i) {
    const int index = tabs_->addTab(QString::fromStdU16String(categories[i].name));
    auto* button = new QToolButton(tabs_);
    button->setObjectName(QStringLiteral("categoryMenu%1").arg(index));
    button->setAutoRaise(true);
    button->setArrowType(Qt::DownArrow);
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    menu->addAction(tr("Edit..."), this, [this, index] { emit editCategoryRequested(index); });
    menu->addAction(tr("Add Rss/Atom Feed..."), this, [this, index] { emit addFeedRequested(index); });
    button->setMenu(menu);
    tabs_->setTabButton(index, QTabBar::RightSide, button);
  }
  tabs_->setCurrentIndex(static_cast<int>(session_.currentCategory()));
  rebuilding_ = false;
}

void SearchBar::refreshCounts() {
  const auto& categories = session_.categories().categories;
  const std::vector<size_t> counts = session_.document().CategoryCounts();
  for (int i = 0; i < tabs_->count() && i < static_cast<int>(categories.size()); ++i) {
    QString name = QString::fromStdU16String(categories[i].name);
    const size_t count = i < static_cast<int>(counts.size()) ? counts[i] : 0;
    tabs_->setTabText(i, count ? QStringLiteral("%1 (%2)").arg(name).arg(count) : name);
  }
  countCaption_->setText(QString::fromStdU16String(session_.document().CountCaption()));
}

void SearchBar::refresh() {
  if (tabs_->count() != static_cast<int>(session_.categories().categories.size())) rebuildTabs();
  else if (!rebuilding_) {
    rebuilding_ = true;
    tabs_->setCurrentIndex(static_cast<int>(session_.currentCategory()));
    rebuilding_ = false;
  }
  refreshCounts();
  const QString text = terms_->currentText();
  terms_->blockSignals(true);
  terms_->clear();
  terms_->addItem(kClearHistory);
  // Newest first.
  const auto& history = session_.history();
  for (auto entry = history.rbegin(); entry != history.rend(); ++entry)
    terms_->addItem(QString::fromStdU16String(*entry));
  terms_->setCurrentIndex(-1);
  terms_->setEditText(text);
  terms_->blockSignals(false);
  terms_->completer()->setCompletionMode(session_.settings().autocompleteTerms ? QCompleter::PopupCompletion
                                                                                 : QCompleter::InlineCompletion);
  const int mode = static_cast<int>(session_.mode());
  if (QAbstractButton* button = modes_->button(mode)) button->setChecked(true);
  else if (modes_->checkedButton()) {
    modes_->setExclusive(false);
    modes_->checkedButton()->setChecked(false);
    modes_->setExclusive(true);
  }
  clear_->setVisible(session_.mode() == SearchMode::kRecent);
}

void SearchBar::setMoreResultsShown(bool shown) { more_->setVisible(shown); }

void SearchBar::historyChosen(int index) {
  if (index != 0) {
    previousText_ = terms_->itemText(index);
    return;
  }
  if (prompter_.Confirm(this, QString(), tr("Are you sure you want to clear the history?"))) {
    session_.ClearHistory();
    refresh();
    terms_->setEditText(QString());
  } else {
    terms_->setEditText(previousText_);
  }
}

}  // namespace brambel
