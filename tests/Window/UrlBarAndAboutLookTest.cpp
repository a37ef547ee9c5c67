#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "tests/Platform/ScratchDirectory.h"
#include "tests/Window/ShownWindow.h"
#include "tests/desktop/XDisplay.h"

namespace wendalore {
namespace {

constexpr int uiTimeout = 10'000;

QPalette darkPalette() {
  QPalette dark = QApplication::style()->standardPalette();
  dark.setColor(QPalette::Window, QColor(40, 40, 42));
  dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  dark.setColor(QPalette::PlaceholderText, QColor(230, 230, 230, 128));
  dark.setColor(QPalette::Button, QColor(55, 55, 58));
  dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
  dark.setColor(QPalette::Link, QColor(110, 170, 255));
  return dark;
}

// The URL bar with its method menu open, then the About window, in a light
// and in a dark palette, as screenshots a person can look at.
TEST(UrlBarAndAboutLook, TheMenuAndTheAboutWindowOpenOverTheWindowInLightAndDark) {
  desktop::XDisplay display;
  for (const bool dark : {false, true}) {
    const std::string look = dark ? "dark" : "light";
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
    ScratchDirectory scratch;
    auto app = launchWithNewRequest(scratch / "Wendalore.sqlite", uiTimeout);
    ASSERT_NE(app, nullptr);
    auto* method = app->window().findChild<QToolButton*>("methodMenu");
    ASSERT_NE(method, nullptr);
    // The menu runs a loop of its own; it is looked at from a timer inside
    // that loop.
    bool menuShown = false;
    QTimer::singleShot(0, [&] {
      (void)QTest::qWaitFor([&] { return method->menu()->isVisible(); }, uiTimeout);
      QTest::qWait(300);
      menuShown = method->menu()->isVisible();
      display.screenshot("url-bar-method-menu-" + look);
      method->menu()->close();
    });
    method->showMenu();
    EXPECT_TRUE(menuShown) << look;

    app->appDelegate().showAboutWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(app->appDelegate().aboutWindow(), uiTimeout));
    QTest::qWait(300);
    display.screenshot("about-window-" + look);
    app->appDelegate().aboutWindow()->close();
  }
  QApplication::setPalette(QApplication::style()->standardPalette());
}

}  // namespace
}  // namespace wendalore
