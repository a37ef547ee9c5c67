#include "Wendalore/Views/Shell/SaveFailureReport.h"

#include <QPushButton>

#include <utility>

namespace wendalore {

SaveFailureReport::SaveFailureReport(std::shared_ptr<platform::ModelContext> context, QWidget& window)
    : context_(std::move(context)), window_(window) {
  failureObservation_ = context_->observeSaveFailures([this](const platform::Error& failure) {
    if (!quitting_) report(failure);
  });
  saveObservation_ = context_->observeSaves([this] { saved(); });
}

void SaveFailureReport::report(const platform::Error& failure) {
  // A message closed by the user is gone, even while it waits to be deleted.
  if (!message_ || !message_->isVisible()) {
    if (std::exchange(reported_, true)) return;
    message_ = new QMessageBox(QMessageBox::Warning, QObject::tr("Changes Not Saved"),
                               QObject::tr("Your changes could not be saved to the store %1.")
                                   .arg(QString::fromStdString(context_->store()->path().string())),
                               QMessageBox::Ok, &window_);
    message_->setAttribute(Qt::WA_DeleteOnClose);
    // Saves run while the user types: the message must not take the keys.
    message_->setAttribute(Qt::WA_ShowWithoutActivating);
    message_->setWindowModality(Qt::NonModal);
    message_->setTextFormat(Qt::PlainText);
  }
  message_->setInformativeText(QObject::tr("%1\n\nThey are kept while Wendalore runs and saved again with the next "
                                           "change.")
                                   .arg(QString::fromStdString(failure.description())));
  message_->show();
}

void SaveFailureReport::saved() {
  reported_ = false;
  // What it said is no longer so.
  if (message_) message_->close();
  message_ = nullptr;
}

bool SaveFailureReport::confirmQuit() {
  quitting_ = true;
  const auto saved = context_->save();
  if (saved) return true;
  if (message_) message_->close();
  QMessageBox question(QMessageBox::Warning, QObject::tr("Quit Without Saving?"),
                       QObject::tr("Your changes could not be saved to the store %1.")
                           .arg(QString::fromStdString(context_->store()->path().string())),
                       QMessageBox::Cancel, &window_);
  question.setTextFormat(Qt::PlainText);
  question.setInformativeText(QObject::tr("%1\n\nIf you quit now, the changes since the last save are lost.")
                                  .arg(QString::fromStdString(saved.error()->description())));
  auto* discard = question.addButton(QObject::tr("Quit and Lose Changes"), QMessageBox::DestructiveRole);
  question.setDefaultButton(QMessageBox::Cancel);
  question.exec();
  quitting_ = question.clickedButton() == discard;
  return quitting_;
}

}  // namespace wendalore
