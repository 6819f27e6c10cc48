#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <filesystem>

class QLocalServer;

namespace brambel {

// The running instance of a library answers on a local socket named after
// the library and the user; a second instance asks it to come to the front.
class InstanceChannel : public QObject {
  Q_OBJECT

 public:
  static constexpr int kAnswerTimeoutMs = 2000;

  explicit InstanceChannel(const std::filesystem::path& libraryDirectory, QObject* parent = nullptr);

  static QString nameFor(const std::filesystem::path& libraryDirectory);
  const QString& name() const { return name_; }
  // Starts answering; false when the name cannot be taken.
  bool listen();
  // Whether an instance answers for the library.
  bool instanceRunning() const;
  // Asks the running instance to open `documents` (files or URLs, in
  // order) and raise its window; true when it confirmed.
  bool askToRaise(const QStringList& documents = {}) const;

 signals:
  void openRequested(const QString& document);
  void raiseRequested();

 private:
  void answer();

  QString name_;
  QLocalServer* server_ = nullptr;
};

}  // namespace brambel
