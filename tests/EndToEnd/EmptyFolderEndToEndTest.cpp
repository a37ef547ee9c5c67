#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <thread>
#include <utility>
#include <vector>

#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "tests/desktop/AppHome.h"
#include "tests/desktop/AppProcess.h"
#include "tests/desktop/XDisplay.h"

namespace wendalore {
namespace {

using namespace std::chrono_literals;

const auto schema = platform::Schema::of<RequestTemplate, RequestFolder>();

// Where the sidebar draws a top-level row's arrow, in the window: the rows
// start under the menu bar, 28 pixels each, the arrow in the first 20, away
// from the edges a focus ring takes.
QRect arrowOfRow(int row) { return {3, 18 + 28 * row + 4, 14, 20}; }

bool isBlank(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != image.pixel(0, 0)) return false;
    }
  }
  return true;
}

// Two empty folders, one closed and one open as a new folder is made, above
// a request; each arrow clicked once in the real program.
TEST(EmptyFolderEndToEndTest, EmptyFoldersShowTheirArrowsClosedAndOpenAndAClickTurnsThem) {
  desktop::AppHome home;
  desktop::XDisplay display;
  {
    auto container = platform::ModelContainer::open(schema, home.storeFile());
    ASSERT_TRUE(container) << container.error()->description();
    auto closed = RequestFolder::make("Nothing yet", nullptr);
    closed->setIsExpanded(false);
    auto open = RequestFolder::make("New Folder", nullptr);
    open->setSortOrder(1);
    (*container)->mainContext()->insert(closed);
    (*container)->mainContext()->insert(open);
    (*container)->mainContext()->insert(RequestTemplate::make("Below them", "", "GET", nullptr, 2));
    ASSERT_TRUE((*container)->mainContext()->save());
  }
  desktop::AppProcess app(home);
  const auto window = display.waitForWindow(app.pid(), "Wendalore", 20s);
  ASSERT_TRUE(window) << app.standardError();
  std::this_thread::sleep_for(1s);  // for the sidebar to be drawn
  const QImage stored(QString::fromStdString(display.screenshot("sidebar-empty-folders-closed-and-open").string()));

  for (const int row : {0, 1}) {
    const QPoint arrow = arrowOfRow(row).center();
    ASSERT_TRUE(display.click(window->id, arrow.x(), arrow.y()));
  }
  ASSERT_TRUE(display.click(window->id, 600, 600));  // the pointer away: an arrow under it is lit
  std::this_thread::sleep_for(500ms);
  const QImage clicked(QString::fromStdString(display.screenshot("sidebar-empty-folders-clicked").string()));

  ASSERT_FALSE(stored.isNull());
  ASSERT_FALSE(clicked.isNull());
  const auto arrow = [](const QImage& screen, int row) { return screen.copy(arrowOfRow(row)); };
  EXPECT_FALSE(isBlank(arrow(stored, 0)));
  EXPECT_FALSE(isBlank(arrow(stored, 1)));
  EXPECT_NE(arrow(stored, 0), arrow(stored, 1)) << "an open folder's arrow points down";
  EXPECT_EQ(arrow(clicked, 0), arrow(stored, 1)) << "opened";
  EXPECT_EQ(arrow(clicked, 1), arrow(stored, 0)) << "closed";
  EXPECT_TRUE(isBlank(arrow(stored, 2))) << "a request has no arrow, nor anything under an empty folder";
  EXPECT_TRUE(isBlank(arrow(clicked, 2)));

  // Quitting saves what was opened and closed.
  ASSERT_TRUE(display.pressKeys(window->id, "ctrl+q"));
  ASSERT_EQ(app.waitForExit(10s), 0) << app.standardError();
  auto container = platform::ModelContainer::open(schema, home.storeFile());
  ASSERT_TRUE(container) << container.error()->description();
  const auto saved = (*container)->mainContext()->fetch<RequestFolder>().value();
  std::vector<std::pair<std::string, bool>> folders;
  for (const auto& folder : saved) {
    folders.emplace_back(folder->name(), folder->isExpanded());
  }
  std::ranges::sort(folders);
  EXPECT_EQ(folders, (std::vector<std::pair<std::string, bool>>{{"New Folder", false}, {"Nothing yet", true}}));
}

}  // namespace
}  // namespace wendalore
