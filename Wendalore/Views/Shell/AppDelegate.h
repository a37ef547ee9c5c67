#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "Platform/Foundation/Bundle.h"
#include "Wendalore/Views/Shell/AboutView.h"

namespace wendalore {

// The application's own behaviour beside its windows' content: the About
// window, made once and shown again on every request, and the main window,
// which closing only hides so that its state lives until Quit.
class AppDelegate : public QObject {
  Q_OBJECT

 public:
  explicit AppDelegate(std::shared_ptr<const platform::Bundle> bundle, QObject* parent = nullptr);
  ~AppDelegate() override;

  void showAboutWindow();
  // From now on closing `mainWindow` hides it, until the application quits.
  void applicationDidFinishLaunching(QWidget* mainWindow);

  // None until the About window was first asked for.
  AboutView* aboutWindow() const { return aboutWindow_.get(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::shared_ptr<const platform::Bundle> bundle_;
  std::unique_ptr<AboutView> aboutWindow_;
  QPointer<QWidget> mainWindow_;
  bool terminating_ = false;
};

}  // namespace wendalore
