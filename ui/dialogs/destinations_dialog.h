#pragma once

#include <QDialog>
#include <vector>

#include "destinations/destination.h"

class QLineEdit;
class QListWidget;

namespace brambel {

// "Destinations": the username, password and additional terms of every
// destination that logs in (browser destinations have none). Edits a copy;
// the caller stores destinations() after OK.
class DestinationsDialog : public QDialog {
  Q_OBJECT

 public:
  DestinationsDialog(std::vector<Destination> destinations, QWidget* parent = nullptr);

  const std::vector<Destination>& destinations() const { return destinations_; }

 private:
  void showDestination(int row);
  Destination* current();

  std::vector<Destination> destinations_;
  std::vector<size_t> listed_;  // list row → index in destinations_
  QListWidget* list_;
  QLineEdit* username_;
  QLineEdit* password_;
  QLineEdit* additional_;
};

}  // namespace brambel
