#pragma once

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brambel {

// Form rows bound to the members of a settings record: each row's widget is
// named after the setting's key, shows the record's value on load() and
// puts the edited value back on save(). Number rows take their range from
// the spin box, so a value outside it cannot be entered; a stored value
// outside the range stays as it is unless the user changes it.
template <typename Record>
class SettingBindings {
 public:
  QCheckBox* addCheck(QFormLayout* form, const char* key, const QString& text, bool Record::*member) {
    auto* box = new QCheckBox(text);
    box->setObjectName(QString::fromLatin1(key));
    form->addRow(box);
    bind([box, member](const Record& record) { box->setChecked(record.*member); },
         [box, member](Record& record) { record.*member = box->isChecked(); });
    return box;
  }

  QSpinBox* addNumber(QFormLayout* form, const char* key, const QString& label, uint32_t Record::*member,
                      int minimum, int maximum, const QString& suffix = {}) {
    auto* spin = new QSpinBox;
    spin->setObjectName(QString::fromLatin1(key));
    spin->setRange(minimum, maximum);
    spin->setSuffix(suffix);
    spin->setAccelerated(true);
    form->addRow(label, spin);
    bind(
        [spin, member](const Record& record) {
          spin->setValue(static_cast<int>(std::min<uint32_t>(record.*member, INT32_MAX)));
          spin->setProperty(kShownProperty, spin->value());
        },
        [spin, member](Record& record) {
          if (spin->value() != spin->property(kShownProperty).toInt()) record.*member = static_cast<uint32_t>(spin->value());
        });
    return spin;
  }

  QLineEdit* addText(QFormLayout* form, const char* key, const QString& label, std::u16string Record::*member) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(key));
    form->addRow(label, edit);
    bind([edit, member](const Record& record) { edit->setText(QString::fromStdU16String(record.*member)); },
         [edit, member](Record& record) { record.*member = edit->text().trimmed().toStdU16String(); });
    return edit;
  }

  // A row of the caller's own widget.
  void bind(std::function<void(const Record&)> load, std::function<void(Record&)> save) {
    loaders_.push_back(std::move(load));
    savers_.push_back(std::move(save));
  }

  void load(const Record& record) const {
    for (const auto& load : loaders_) load(record);
  }
  void save(Record& record) const {
    for (const auto& save : savers_) save(record);
  }

 private:
  static constexpr char kShownProperty[] = "shownValue";

  std::vector<std::function<void(const Record&)>> loaders_;
  std::vector<std::function<void(Record&)>> savers_;
};

}  // namespace brambel
