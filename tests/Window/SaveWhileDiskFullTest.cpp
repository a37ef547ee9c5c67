#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "Platform/Foundation/Bundle.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "Wendalore/Views/Shell/NoOpUpdater.h"
#include "Wendalore/Views/Shell/WendaloreApp.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Platform/Store/FullDisk.h"
#include "tests/Wendalore/Views/Shell/ShownMessages.h"
#include "tests/Window/ShownWindow.h"

namespace wendalore {
namespace {

constexpr int uiTimeout = 10'000;

// The whole window on a scratch store whose disk can fill up, with one new
// request in the editor; the saves that failed and worked are counted.
class SaveWhileDiskFullTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app = launchWithNewRequest(scratch / "Wendalore.sqlite", uiTimeout);
    ASSERT_NE(app, nullptr);
    const auto& context = app->window().modelContext();
    failureObservation = context->observeSaveFailures([this](const platform::Error&) { ++failures; });
    saveObservation = context->observeSaves([this] { ++saves; });
  }

  // Types `text` into `field` and waits for the save it starts to end.
  void typeAndAwaitTheSave(QLineEdit& field, const QString& text) {
    const int before = failures + saves;
    QTest::keyClicks(&field, text);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failures + saves > before; }, uiTimeout));
  }

  ScratchDirectory scratch;
  FullDisk disk;
  std::unique_ptr<WendaloreApp> app;
  int failures = 0;
  int saves = 0;
  platform::ObservationToken failureObservation;
  platform::ObservationToken saveObservation;
};

TEST_F(SaveWhileDiskFullTest, TypingOnWhileSavesFailKeepsTheKeyboardAndEveryKeyAndOneMessage) {
  auto& url = *app->window().findChild<QLineEdit*>("urlField");
  QTest::mouseClick(&url, Qt::LeftButton, {}, url.rect().center());
  ASSERT_EQ(QApplication::focusWidget(), &url);
  disk.setFull(true);

  typeAndAwaitTheSave(url, "http://example");
  ASSERT_EQ(shownMessages().size(), 1U);
  EXPECT_EQ(QApplication::focusWidget(), &url);
  // More failures while it is up take nothing from the field either.
  typeAndAwaitTheSave(url, ".org");
  EXPECT_EQ(shownMessages().size(), 1U);
  EXPECT_EQ(QApplication::focusWidget(), &url);

  // Dismissed, it stays away however often the next saves fail.
  shownMessages().front()->button(QMessageBox::Ok)->click();
  app->window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&app->window()));
  QTest::mouseClick(&url, Qt::LeftButton, {}, QPoint(url.width() - 2, url.height() / 2));
  for (const auto* part : {"/a", "/b", "/c"}) {
    typeAndAwaitTheSave(url, part);
    QCoreApplication::processEvents();
    EXPECT_TRUE(shownMessages().empty()) << part;
    EXPECT_EQ(QApplication::focusWidget(), &url) << part;
  }
  EXPECT_GE(failures, 5);
  EXPECT_EQ(saves, 0);
  EXPECT_EQ(url.text(), "http://example.org/a/b/c");

  // With room again, the next save writes all that was typed.
  disk.setFull(false);
  typeAndAwaitTheSave(url, "/d");
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(app->content().controller().selectedTemplate()->url(), "http://example.org/a/b/c/d");
  app.reset();
  auto reopened = WendaloreApp::launch(platform::Bundle::make({}), std::make_shared<NoOpUpdater>(),
                                       scratch / "Wendalore.sqlite");
  ASSERT_TRUE(reopened) << reopened.error();
  const auto stored = (*reopened)->window().modelContext()->fetch<RequestTemplate>();
  ASSERT_TRUE(stored && stored->size() == 1U);
  EXPECT_EQ(stored->front()->url(), "http://example.org/a/b/c/d");
}

}  // namespace
}  // namespace wendalore
