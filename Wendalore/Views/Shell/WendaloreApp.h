#pragma once

#include <QAction>
#include <expected>
#include <filesystem>
#include <memory>
#include <string>

#include "Platform/Foundation/Bundle.h"
#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Views/Shell/AppDelegate.h"
#include "Wendalore/Views/Shell/MainWindow.h"
#include "Wendalore/Views/Shell/SaveFailureReport.h"
#include "Wendalore/Views/Shell/WindowContent.h"
#include "Wendalore/Views/Shell/Updater.h"

namespace wendalore {

// The application: its delegate, its updater, its store and its one
// window with the menu commands, made once at start and kept until the
// process ends.
class WendaloreApp {
 public:
  // Opens the store and builds the window, not yet shown. The error is the
  // text to show before stopping; nothing has been written then.
  static std::expected<std::unique_ptr<WendaloreApp>, std::string> launch(std::shared_ptr<const platform::Bundle> bundle,
                                                                          std::shared_ptr<Updater> updater,
                                                                          const std::filesystem::path& storeFile);
  WendaloreApp(const WendaloreApp&) = delete;
  WendaloreApp& operator=(const WendaloreApp&) = delete;

  AppDelegate& appDelegate() const { return *appDelegate_; }
  MainWindow& window() const { return *window_; }
  WindowContent& content() const { return *content_; }
  const std::shared_ptr<platform::ModelContainer>& container() const { return container_; }
  SaveFailureReport& saveFailures() const { return *saveFailures_; }

  // The Quit command: saves, and when that fails, quits only once the user
  // agreed to lose the edits.
  void quit();

  // Keeps whatever was edited but not yet saved; run as the program quits.
  // A failure is reported on the standard error, the only place left.
  void applicationWillTerminate();

  WendaloreApp(std::unique_ptr<AppDelegate> appDelegate, std::shared_ptr<Updater> updater,
               std::shared_ptr<platform::ModelContainer> container);

 private:
  void buildCommands();

  std::unique_ptr<AppDelegate> appDelegate_;
  std::shared_ptr<Updater> updater_;
  std::shared_ptr<platform::ModelContainer> container_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<SaveFailureReport> saveFailures_;
  // Goes before the window, whose places hold its widgets.
  std::unique_ptr<WindowContent> content_;
};

}  // namespace wendalore
