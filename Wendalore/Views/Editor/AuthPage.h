#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "Wendalore/Model/RequestTemplate.h"

class QLineEdit;
class QStackedWidget;
class QToolButton;

namespace wendalore {

// How the request authorizes itself, and the credentials of that choice.
// Switching the kind clears nothing, so switching back shows them again.
class AuthPage : public QWidget {
 public:
  AuthPage(std::shared_ptr<RequestTemplate> request, QWidget* parent = nullptr);

  void refresh();

 private:
  std::shared_ptr<RequestTemplate> request_;
  std::array<QToolButton*, 3> segments_{};
  QStackedWidget* credentials_;
  QLineEdit* username_;
  QLineEdit* password_;
  QLineEdit* token_;
};

}  // namespace wendalore
