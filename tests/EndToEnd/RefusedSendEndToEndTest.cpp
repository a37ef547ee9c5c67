#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <optional>
#include <thread>

#include "Wendalore/Model/RequestTemplate.h"
#include "tests/EndToEnd/ProgramStore.h"
#include "tests/desktop/AppHome.h"
#include "tests/desktop/AppProcess.h"
#include "tests/desktop/XDisplay.h"
#include "tests/servers/HttpbinServer.h"

namespace wendalore {
namespace {

using namespace std::chrono_literals;

// The red of a failed row's cross, drawn solid in the middle of its disc.
const QColor failureRed(255, 59, 48);

bool isReddish(QRgb pixel) { return qRed(pixel) > 200 && qGreen(pixel) < 110 && qBlue(pixel) < 110; }

// The topmost point of the screen in exactly `colour`; none when there is none.
std::optional<QPoint> find(const QImage& screen, const QColor& colour) {
  for (int y = 0; y < screen.height(); ++y) {
    for (int x = 0; x < screen.width(); ++x) {
      if (screen.pixelColor(x, y) == colour) return QPoint(x, y);
    }
  }
  return std::nullopt;
}

// A GET with a form body of three lines, sent in the real program: the
// refusal is told in its history row, red, and nowhere else.
TEST(RefusedSendEndToEndTest, AGETWithAFormOfThreeLinesIsRefusedInItsHistoryRow) {
  desktop::AppHome home;
  desktop::XDisplay display;
  auto request = RequestTemplate::make("Form by GET", testservers::HttpbinServer::shared().baseURL() + "/get", "GET",
                                       nullptr, 0);
  request->setBodyType(RequestBodyType::formUrlEncoded);
  request->setBody("alpha=1\nbeta=two words\ngamma=a&b");
  ASSERT_TRUE(storeForProgram(home, {request}));
  desktop::AppProcess app(home);
  const auto window = display.waitForWindow(app.pid(), "Wendalore", 20s);
  ASSERT_TRUE(window) << app.standardError();
  ASSERT_TRUE(display.click(window->id, 100, 32));  // the request's row in the sidebar
  std::this_thread::sleep_for(1s);                   // for the editor to be laid out
  ASSERT_TRUE(display.pressKeys(window->id, "ctrl+Return"));

  QImage screen;
  std::optional<QPoint> cross;
  for (int tries = 0; tries < 40 && !cross; ++tries) {
    std::this_thread::sleep_for(250ms);
    screen = QImage(QString::fromStdString(display.screenshot("refused-get-form-body-row").string()));
    cross = find(screen, failureRed);
  }
  ASSERT_TRUE(cross) << "no failed row in the history";
  // Red is the row's alone: its cross and its reason, in the 40 pixels
  // around the top of the cross.
  for (int y = 0; y < screen.height(); ++y) {
    if (y >= cross->y() - 15 && y <= cross->y() + 25) continue;
    for (int x = 0; x < screen.width(); ++x) {
      ASSERT_FALSE(isReddish(screen.pixel(x, y))) << "red at " << x << "," << y << ", off the row at " << cross->y();
    }
  }

  // The window stands in the corner of the screen, which has no window
  // manager: a point of the screen is the same point of the window.
  ASSERT_TRUE(display.click(window->id, cross->x() + 100, cross->y()));  // the row, to show its Response tab
  std::this_thread::sleep_for(1s);
  display.screenshot("refused-get-form-body");
}

}  // namespace
}  // namespace wendalore
