#include "Wendalore/Views/Common/MethodStyle.h"

#include <gtest/gtest.h>

namespace wendalore {
namespace {

TEST(MethodStyle, BadgeTitlesAreTheShortFormsOfTheUpperCasedMethod) {
  const std::pair<const char*, const char*> cases[] = {
      {"get", "GET"},   {"Post", "POST"},    {"PUT", "PUT"},   {"delete", "DELE"}, {"patch", "PTCH"},
      {"head", "HEAD"}, {"options", "OPTN"}, {"custom", "CUSTOM"}, {"", ""},      {"straße", "STRASSE"},
  };
  for (const auto& [method, title] : cases) {
    EXPECT_EQ(methodBadgeTitle(QString::fromUtf8(method)), QString::fromUtf8(title)) << method;
  }
}

TEST(MethodStyle, EveryCaseOfAMethodSharesItsHueAndTheBadgeIsTranslucent) {
  EXPECT_EQ(methodColor("get"), methodColor("GET"));
  EXPECT_EQ(methodColor("Get"), QColor(52, 199, 89));
  EXPECT_EQ(methodColor("options"), methodColor("HEAD"));
  EXPECT_NE(methodColor("PUT"), methodColor("POST"));

  QColor badge = methodBadgeColor("delete");
  EXPECT_NEAR(badge.alphaF(), 0.25, 0.001);
  badge.setAlphaF(1);
  EXPECT_EQ(badge, methodColor("DELETE"));

  EXPECT_NEAR(methodBadgeColor("").alphaF(), 0.18, 0.001);
  EXPECT_EQ(methodColor("").rgb(), methodColor("custom").rgb());
}

}  // namespace
}  // namespace wendalore
