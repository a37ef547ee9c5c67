#include "Wendalore/Views/Sidebar/DeletionAlert.h"

#include <QMessageBox>
#include <QPushButton>

#include "Wendalore/Content/ContentController.h"

namespace wendalore {

QMessageBox* presentDeletionAlert(ContentController& content, QWidget* parent) {
  const auto& target = content.deletionTarget();
  if (!target) return nullptr;
  auto* alert = new QMessageBox(parent);
  alert->setAttribute(Qt::WA_DeleteOnClose);
  alert->setIcon(QMessageBox::Warning);
  alert->setText(QString::fromStdString(target->title()));
  alert->setObjectName(QString::fromStdString(target->id()));
  auto* remove = alert->addButton(QObject::tr("Delete"), QMessageBox::DestructiveRole);
  alert->setDefaultButton(alert->addButton(QMessageBox::Cancel));
  QObject::connect(alert, &QMessageBox::finished, alert, [&content, alert, remove] {
    if (alert->clickedButton() == remove) {
      content.confirmDeletion();
    } else {
      content.cancelDeletion();
    }
  });
  alert->open();
  return alert;
}

}  // namespace wendalore
