#pragma once

#include <QLabel>
#include <QWidget>
#include <memory>

#include "Platform/Foundation/Bundle.h"

namespace wendalore {

// The About window's content: icon, name and version from the bundle, the
// credits, and links that open in the browser. Not resizable: it takes the
// size its content asks for, at least 350 × 400.
class AboutView : public QWidget {
  Q_OBJECT

 public:
  explicit AboutView(std::shared_ptr<const platform::Bundle> bundle, QWidget* parent = nullptr);

  // Shown in place of a bundle value that is missing.
  static QString missingValue();

 protected:
  // The bundle is read each time the window comes up, as the version it
  // names may be the one the program was replaced with meanwhile.
  void showEvent(QShowEvent* event) override;

 private:
  void showBundleValues();
  QString bundleValue(const char* key) const;

  std::shared_ptr<const platform::Bundle> bundle_;
  QLabel* icon_;
  QLabel* name_;
  QLabel* version_;
};

}  // namespace wendalore
