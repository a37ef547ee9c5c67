#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "Platform/Store/ModelContext.h"
#include "Platform/Store/ObserverList.h"

namespace wendalore {

// Tells the user, in a message beside `window`, when the store could not be
// written, whoever saved: the edits then live only in memory until a later
// save writes them. Saves run while the user types, so the message never
// takes the keyboard, shows the latest reason while it is open, and once
// dismissed stays away until a save succeeds; the next failure after that
// is told anew.
class SaveFailureReport {
 public:
  SaveFailureReport(std::shared_ptr<platform::ModelContext> context, QWidget& window);
  SaveFailureReport(const SaveFailureReport&) = delete;
  SaveFailureReport& operator=(const SaveFailureReport&) = delete;

  // Saves before the program quits. When that fails, asks whether to quit
  // all the same, losing the edits; true when the program may quit.
  bool confirmQuit();

  // The message about the latest failure while it is shown.
  QMessageBox* message() const { return message_; }

 private:
  void report(const platform::Error& failure);
  void saved();

  std::shared_ptr<platform::ModelContext> context_;
  QWidget& window_;
  QPointer<QMessageBox> message_;
  // While Quit asks, or once it was let go, the question says it all.
  bool quitting_ = false;
  // Told since the last successful save.
  bool reported_ = false;
  platform::ObservationToken failureObservation_;
  platform::ObservationToken saveObservation_;
};

}  // namespace wendalore
