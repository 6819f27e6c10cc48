#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QMenu;
class QWidget;

namespace brambel {

class LibrarySession;

// The "Saved Terms" menu: "Organize...", "Add" (the terms in the search
// box), then one item per saved term, "None" when there is none. The list is
// rebuilt each time the menu opens.
class SavedTermsMenu : public QObject {
  Q_OBJECT

 public:
  SavedTermsMenu(QMenu* menu, LibrarySession& session, std::function<QString()> currentTerms, QWidget* window);

  // Saves the search box's terms; false when empty, already saved or read-only.
  bool addCurrent();
  void organize();
  void rebuild();

 signals:
  // A saved term was chosen: it is searched.
  void termChosen(const QString& terms);

 private:
  QMenu* menu_;
  LibrarySession& session_;
  std::function<QString()> currentTerms_;
  QWidget* window_;
};

}  // namespace brambel
