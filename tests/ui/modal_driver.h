#pragma once

// Drives the modal dialogs a command opens: a handler waits (on a timer, in
// the dialog's own event loop) for the modal widget of a given class and acts
// on it. A handler that never finds its dialog fails the test.
#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace brambel::testing {

template <class Dialog>
void whenModal(std::function<void(Dialog*)> act, int timeoutMs = 10000) {
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [act, clock, poll, timeoutMs] {
    if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
      act(dialog);
      // A failed check leaves the dialog open: close it, or the test hangs in it.
      if (QTest::currentTestFailed() && dialog->isVisible()) dialog->close();
      return;
    }
    if (clock->elapsed() > timeoutMs) {
      QFAIL("the expected dialog never opened");
      return;
    }
    QTimer::singleShot(20, *poll);
  };
  QTimer::singleShot(0, *poll);
}

template <class Widget>
Widget* child(QWidget* parent, const char* name) {
  auto* found = parent->findChild<Widget*>(QLatin1String(name));
  if (!found) qWarning("no child named %s", name);
  return found;
}

}  // namespace brambel::testing
