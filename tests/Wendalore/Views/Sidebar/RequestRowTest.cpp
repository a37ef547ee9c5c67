#include <gtest/gtest.h>

#include <QImage>

#include "Wendalore/Views/Common/MethodStyle.h"
#include "Wendalore/Views/Sidebar/RequestRow.h"
#include "Wendalore/Model/RequestTemplate.h"

namespace wendalore {
namespace {

TEST(RequestRow, BadgeShowsTheMethodAsStored) {
  const std::pair<QString, QString> cases[] = {
      {"GET", "GET"},   {"POST", "POST"},     {"PUT", "PUT"},       {"OPTIONS", "OPTN"}, {"HEAD", "HEAD"},
      {"PATCH", "PTCH"}, {"DELETE", "DELE"}, {"delete", "delete"}, {"Get", "Get"},       {"PURGE", "PURGE"},
      {"", ""},
  };
  for (const auto& [method, title] : cases) EXPECT_EQ(RequestRow::badgeTitle(method), title) << method.toStdString();
}

// The badge's colour is found in the drawn row, and follows a change of
// method without a new row.
TEST(RequestRow, DrawsTheBadgeInTheMethodColour) {
  auto request = RequestTemplate::make("a name far too long to fit into the row at all", "", "delete", nullptr, 0);
  RequestRow row(request);
  row.resize(120, 24);
  EXPECT_TRUE(row.testAttribute(Qt::WA_TransparentForMouseEvents));

  const auto hasColourOf = [&](const QString& method) {
    const QImage image = row.grab().toImage();
    const QColor wanted = methodColor(method);
    for (int x = 0; x < 42; ++x) {
      for (int y = 0; y < image.height(); ++y) {
        const QColor seen = image.pixelColor(x, y);
        const int distance = std::abs(seen.red() - wanted.red()) + std::abs(seen.green() - wanted.green()) +
                             std::abs(seen.blue() - wanted.blue());
        if (distance < 24) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(hasColourOf("DELETE"));
  request->setMethod("GET");
  EXPECT_TRUE(hasColourOf("GET"));
  EXPECT_FALSE(hasColourOf("DELETE"));
}

}  // namespace
}  // namespace wendalore
