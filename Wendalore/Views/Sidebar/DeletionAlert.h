#pragma once

class QMessageBox;
class QWidget;

namespace wendalore {

class ContentController;

// Asks the user to confirm the controller's deletion target ("Delete
// Folder?" or "Delete Request?"): "Delete" deletes it, Cancel or closing the
// alert keeps it; either way the target is cleared. Does not wait for the
// answer; returns the alert shown (deleted when it closes), or null when
// nothing waits for deletion. The controller must outlive the alert.
QMessageBox* presentDeletionAlert(ContentController& content, QWidget* parent);

}  // namespace wendalore
