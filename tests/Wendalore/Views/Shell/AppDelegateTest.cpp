#include "Wendalore/Views/Shell/AppDelegate.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

namespace wendalore {
namespace {

std::shared_ptr<const platform::Bundle> bundleWith(platform::Bundle::InfoDictionary info) {
  return platform::Bundle::make(std::move(info));
}

QStringList labelTexts(const QWidget& window) {
  QStringList texts;
  for (const auto* label : window.findChildren<QLabel*>()) {
    if (!label->text().isEmpty()) texts << label->text();
  }
  return texts;
}

// Receives what would have gone to the browser.
class BrowserStandIn : public QObject {
  Q_OBJECT

 public:
  BrowserStandIn() { QDesktopServices::setUrlHandler("https", this, "open"); }
  ~BrowserStandIn() override { QDesktopServices::unsetUrlHandler("https"); }

  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened << url; }
};

TEST(AppDelegate, TheAboutWindowIsMadeOnceAndShownAgainWhereTheUserLeftIt) {
  AppDelegate delegate(bundleWith({{"CFBundleName", "Wendalore"}, {"CFBundleShortVersionString", "1.2.3"}}));
  delegate.showAboutWindow();
  auto* window = delegate.aboutWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "About Wendalore");
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_GE(window->width(), 350);
  EXPECT_GE(window->height(), 400);

  window->move(window->pos() + QPoint(40, 30));
  const auto movedTo = window->pos();
  window->close();
  delegate.showAboutWindow();
  EXPECT_EQ(delegate.aboutWindow(), window);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->pos(), movedTo);
}

TEST(AppDelegate, TheAboutWindowNamesTheBundleAndMarksWhatIsMissing) {
  const std::vector<std::tuple<platform::Bundle::InfoDictionary, QString, QString>> cases = {
      {{{"CFBundleName", "Wendalore"}, {"CFBundleShortVersionString", "1.2.3"}}, "Wendalore", "Version: 1.2.3"},
      {{}, QString::fromUtf8("\u26A0\uFE0F"), QString::fromUtf8("Version: \u26A0\uFE0F")},
  };
  for (const auto& [info, name, version] : cases) {
    AppDelegate delegate(bundleWith(info));
    delegate.showAboutWindow();
    const auto texts = labelTexts(*delegate.aboutWindow());
    ASSERT_GE(texts.size(), 2);
    EXPECT_EQ(texts[0], name);
    EXPECT_TRUE(delegate.aboutWindow()->findChildren<QLabel*>()[1]->font().bold());
    EXPECT_EQ(texts[1], version);
    EXPECT_TRUE(texts.contains("Wendalore uses open-source software:"));
    EXPECT_EQ(texts.filter("(MIT license)").size(), 3);
  }
}

TEST(AppDelegate, ClickingALinkOfTheAboutWindowOpensItInTheBrowser) {
  BrowserStandIn browser;
  AppDelegate delegate(bundleWith({}));
  delegate.showAboutWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(delegate.aboutWindow()));
  QLabel* reportBug = nullptr;
  for (auto* label : delegate.aboutWindow()->findChildren<QLabel*>()) {
    if (label->text().contains(">Report bug<")) reportBug = label;
  }
  ASSERT_NE(reportBug, nullptr);

  QTest::mouseClick(reportBug, Qt::LeftButton, {}, reportBug->rect().center());

  ASSERT_EQ(browser.opened.size(), 1);
  EXPECT_EQ(browser.opened[0].scheme(), "https");
  EXPECT_TRUE(browser.opened[0].toString().contains("bug")) << browser.opened[0].toString().toStdString();
}

TEST(AppDelegate, ClosingTheMainWindowHidesItWithItsStateUntouched) {
  AppDelegate delegate(bundleWith({}));
  QWidget mainWindow;
  auto* field = new QLineEdit(&mainWindow);
  mainWindow.show();
  delegate.applicationDidFinishLaunching(&mainWindow);
  field->setText("half-typed");

  EXPECT_FALSE(mainWindow.close());
  EXPECT_FALSE(mainWindow.isVisible());
  mainWindow.show();
  EXPECT_EQ(field->text(), "half-typed");
}

}  // namespace
}  // namespace wendalore

#include "AppDelegateTest.moc"
