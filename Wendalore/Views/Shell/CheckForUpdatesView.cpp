#include "Wendalore/Views/Shell/CheckForUpdatesView.h"

namespace wendalore {

CheckForUpdatesView::CheckForUpdatesView(std::shared_ptr<Updater> updater, QObject* parent)
    : QAction(QString::fromUtf8("Check for Updates\u2026"), parent),
      updater_(std::move(updater)),
      checkForUpdatesViewModel_(*updater_) {
  setMenuRole(QAction::NoRole);
  setEnabled(checkForUpdatesViewModel_.canCheckForUpdates());
  observation_ = checkForUpdatesViewModel_.observeDidChange(
      [this] { setEnabled(checkForUpdatesViewModel_.canCheckForUpdates()); });
  connect(this, &QAction::triggered, this, [this] { updater_->checkForUpdates(); });
}

}  // namespace wendalore
