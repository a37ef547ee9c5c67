#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <memory>

#include "Platform/Foundation/Bundle.h"
#include "Wendalore/Views/Shell/NoOpUpdater.h"
#include "Wendalore/Views/Shell/WendaloreApp.h"

namespace wendalore {

// The whole window on the store at `file`, shown and active, with one new
// request selected in the editor; nothing, with the test failed, when it
// cannot be had.
inline std::unique_ptr<WendaloreApp> launchWithNewRequest(const std::filesystem::path& file, int timeout) {
  auto launched = WendaloreApp::launch(platform::Bundle::make({}), std::make_shared<NoOpUpdater>(), file);
  if (!launched) {
    ADD_FAILURE() << launched.error();
    return nullptr;
  }
  auto app = std::move(*launched);
  MainWindow& window = app->window();
  window.resize(1280, 900);
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window)) {
    ADD_FAILURE() << "the window was not activated";
    return nullptr;
  }
  app->content().controller().addRequest(nullptr);
  if (!QTest::qWaitFor([&] { return window.findChild<QLineEdit*>("urlField") != nullptr; }, timeout)) {
    ADD_FAILURE() << "the new request's editor did not show";
    return nullptr;
  }
  return app;
}

}  // namespace wendalore
