// Lets a test act on the modal dialog that the code under test is about to run.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace zmf::test {

// Calls act with the active modal widget as soon as there is one; the call that opens the modal
// dialog comes right after this. A dialog that act leaves open (a failed assertion in act) is
// rejected a little later, so that the test fails instead of hanging.
inline void WhenModalOpens(std::function<void(QWidget*)> act) {
  auto* poll = new QTimer;
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(modal);
    QTimer::singleShot(3000, [dialog = QPointer<QDialog>(qobject_cast<QDialog*>(modal))] {
      if (dialog && dialog->isVisible()) {
        ADD_FAILURE() << "the dialog was left open";
        dialog->reject();
      }
    });
  });
  poll->start();
}

}  // namespace zmf::test
