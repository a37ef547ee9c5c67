#pragma once

#include <QApplication>
#include <QMessageBox>
#include <vector>

namespace wendalore {

// The message boxes on screen.
inline std::vector<QMessageBox*> shownMessages() {
  std::vector<QMessageBox*> shown;
  for (auto* widget : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (box && box->isVisible()) shown.push_back(box);
  }
  return shown;
}

}  // namespace wendalore
