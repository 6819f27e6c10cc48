#include "ui/dialogs/notices_settings_page.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <map>
#include <string>

#include "ui/dialogs/suppressible_notice.h"

namespace brambel {

NoticesSettingsPage::NoticesSettingsPage(SuppressibleNotices& notices, QWidget* parent)
    : SettingsPage(parent), notices_(notices) {
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(tr("Show these notices and questions (a cleared box was silenced with \"Don't ask again\"):"),
                           this);
  intro->setWordWrap(true);
  layout->addWidget(intro);
  for (const SuppressibleNoticeKey& notice : kSuppressibleNotices) {
    auto* box = new QCheckBox(tr(notice.description), this);
    box->setObjectName(QString::fromLatin1(notice.key));
    box->setProperty("noticeKey", QString::fromLatin1(notice.key));
    boxes_.append(box);
    layout->addWidget(box);
  }
  auto* showAll = new QPushButton(tr("Show All Again"), this);
  showAll->setObjectName(QStringLiteral("showAllNotices"));
  connect(showAll, &QPushButton::clicked, this, [this] {
    for (QCheckBox* box : boxes_) box->setChecked(true);
  });
  layout->addWidget(showAll, 0, Qt::AlignLeft);
  layout->addStretch(1);
}

void NoticesSettingsPage::load(const ProgramSettings&) {
  for (QCheckBox* box : boxes_) {
    const bool silenced = notices_.isSilenced(box->property("noticeKey").toString().toStdString());
    box->setProperty("silenced", silenced);
    box->setChecked(!silenced);
  }
}

bool NoticesSettingsPage::save(ProgramSettings&) {
  std::map<std::string, bool> silenced;
  for (QCheckBox* box : boxes_) {
    if (box->isChecked() != box->property("silenced").toBool()) continue;
    silenced[box->property("noticeKey").toString().toStdString()] = !box->isChecked();
    box->setProperty("silenced", !box->isChecked());
  }
  return silenced.empty() || notices_.setSilenced(silenced);
}

}  // namespace brambel
