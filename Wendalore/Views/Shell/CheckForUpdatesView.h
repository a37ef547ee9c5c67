#pragma once

#include <QAction>
#include <memory>

#include "Wendalore/Views/Shell/CheckForUpdatesViewModel.h"
#include "Wendalore/Views/Shell/Updater.h"

namespace wendalore {

// The menu item "Check for Updates…": enabled exactly while the updater can
// check, and choosing it asks the updater to check.
class CheckForUpdatesView : public QAction {
  Q_OBJECT

 public:
  CheckForUpdatesView(std::shared_ptr<Updater> updater, QObject* parent);

 private:
  std::shared_ptr<Updater> updater_;
  CheckForUpdatesViewModel checkForUpdatesViewModel_;
  platform::ObservationToken observation_;
};

}  // namespace wendalore
