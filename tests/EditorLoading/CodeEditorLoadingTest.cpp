#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <string>

#include "Platform/Foundation/Bundle.h"
#include "Wendalore/Views/Shell/NoOpUpdater.h"
#include "Wendalore/Views/Shell/WendaloreApp.h"
#include "tests/EditorLoading/BodyEditorDriver.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/desktop/AppProcess.h"

namespace wendalore {
namespace {

bool webEngineIsMapped() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find("libQt6WebEngineCore") != std::string::npos) return true;
  }
  return false;
}

// Run as the program runs, as root here: the engine must start without its
// sandbox there rather than end the process.
TEST(CodeEditorLoading, TheWebEngineIsLoadedOnlyWhenABodyEditorIsFirstShownAndThenTakesTyping) {
  ScratchDirectory scratch;
  auto launched = WendaloreApp::launch(platform::Bundle::make({}), std::make_shared<NoOpUpdater>(),
                                       scratch / "Wendalore.sqlite");
  ASSERT_TRUE(launched) << launched.error();
  auto& window = (*launched)->window();
  window.resize(1280, 900);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_FALSE(webEngineIsMapped()) << "started with an empty store";

  (*launched)->content().controller().addRequest(nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.findChild<QLineEdit*>("urlField") != nullptr; }, bodyeditor::uiTimeout));
  EXPECT_FALSE(webEngineIsMapped()) << "a request shown without its body";

  QWidget* webView = bodyeditor::showJSONBody(window);
  const auto* notice = window.findChild<QLabel*>("bodyEditorNotice");
  ASSERT_NE(webView, nullptr) << "no code editor: " << (notice ? notice->text().toStdString() : "and no notice");
  EXPECT_TRUE(webEngineIsMapped());

  const auto& request = (*launched)->content().controller().selectedTemplate();
  ASSERT_TRUE(bodyeditor::typeOnceReady(*webView, request, '7'));
  EXPECT_TRUE(std::ranges::all_of(request->body(), [](char c) { return c == '7'; })) << request->body();
  EXPECT_EQ(window.findChild<QLabel*>("bodyEditorNotice"), nullptr);
  const auto shot = desktop::screenshotDirectory() / "editor-loading-json-body.png";
  EXPECT_TRUE(window.grab().save(QString::fromStdString(shot.string()), "PNG")) << shot;
}

}  // namespace
}  // namespace wendalore
