#include "ui/dialogs/results_settings_page.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace brambel {
namespace {

// The date list in its order: list positions 5 and 6 stand for the values 6 and 5.
struct DateChoice {
  const char* text;
  uint32_t value;
};
constexpr DateChoice kDateChoices[] = {{"None", 0},         {"Loaded", 1},      {"Content", 2},     {"Last Clicked", 3},
                                       {"Last Hovered", 4}, {"Last Viewed", 6}, {"Same as Sort", 5}};

}  // namespace

ResultsSettingsPage::ResultsSettingsPage(std::function<std::u16string()> currentWindowRect, QWidget* parent)
    : SettingsPage(parent), currentWindowRect_(std::move(currentWindowRect)) {
  using S = ProgramSettings;
  auto* scoring = new QGroupBox(tr("Scoring"), this);
  auto* scoringForm = new QFormLayout(scoring);
  bindings_.addCheck(scoringForm, "aggregateTermScoring", tr("Add term scores to results"), &S::aggregateTermScoring);
  bindings_.addCheck(scoringForm, "contentSummaryExtraction", tr("Rebuild summaries from the saved pages"),
                     &S::contentSummaryExtraction);
  bindings_.addNumber(scoringForm, "userScoringWeight", tr("User scoring weight:"), &S::userScoringWeight, 0, 100000);
  bindings_.addNumber(scoringForm, "permScoringWeight", tr("Permanent result bonus:"), &S::permScoringWeight, 0, 100000);

  auto* display = new QGroupBox(tr("Display"), this);
  auto* displayForm = new QFormLayout(display);
  bindings_.addCheck(displayForm, "browserStyleTitles", tr("Browser-style titles"), &S::browserStyleTitles);
  bindings_.addCheck(displayForm, "displaySources", tr("Show the sources of each result"), &S::displaySources);
  bindings_.addCheck(displayForm, "categoryCounts", tr("Show result counts on the category tabs"), &S::categoryCounts);
  bindings_.addCheck(displayForm, "showSponsors", tr("Show sponsored links"), &S::showSponsors);
  bindings_.addCheck(displayForm, "autocompleteTerms", tr("Complete terms in Filter and Permanent searches"),
                     &S::autocompleteTerms);
  bindings_.addCheck(displayForm, "autoPermanent", tr("Mark results permanent when they are sent to a destination"),
                     &S::autoPermanent);
  bindings_.addNumber(displayForm, "snippetDisplayLength", tr("Summary length:"), &S::snippetDisplayLength, 0, 4096,
                      tr(" characters"));
  displayDate_ = new QComboBox(display);
  displayDate_->setObjectName(QStringLiteral("displayDate"));
  for (const DateChoice& choice : kDateChoices) displayDate_->addItem(tr(choice.text), choice.value);
  displayForm->addRow(tr("Date shown:"), displayDate_);
  bindings_.bind(
      [this](const ProgramSettings& settings) {
        const int index = displayDate_->findData(settings.displayDate);
        displayDate_->setCurrentIndex(index >= 0 ? index : 1);
      },
      [this](ProgramSettings& settings) { settings.displayDate = displayDate_->currentData().toUInt(); });

  storePosition_ = new QPushButton(tr("Store Current Window Position"), this);
  storePosition_->setObjectName(QStringLiteral("storeMainPosition"));
  storePosition_->setToolTip(tr("The main window opens at this position from now on"));
  connect(storePosition_, &QPushButton::clicked, this, [this] { storedPosition_ = currentWindowRect_(); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scoring);
  layout->addWidget(display);
  layout->addWidget(storePosition_, 0, Qt::AlignLeft);
  layout->addStretch(1);
}

void ResultsSettingsPage::load(const ProgramSettings& settings) {
  bindings_.load(settings);
  storedPosition_.reset();
  storePosition_->setEnabled(!settings.mainPosition.empty());
}

bool ResultsSettingsPage::save(ProgramSettings& settings) {
  bindings_.save(settings);
  if (storedPosition_) settings.mainPosition = *storedPosition_;
  return true;
}

}  // namespace brambel
