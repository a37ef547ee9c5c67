#include "Wendalore/Views/Common/IndentGuide.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <vector>

namespace wendalore {
namespace {

// The guide drawn for a row `rowHeight` tall, on a transparent image.
QImage paint(IndentGuide& guide, int rowHeight) {
  guide.resize(guide.sizeHint().width() + 10, rowHeight + 2 * IndentGuide::overhang);
  QImage image(guide.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  guide.render(&image, {}, {}, QWidget::RenderFlags());
  return image;
}

// The columns holding any paint, each checked to be painted from the top of
// the image to its bottom, faintly.
std::vector<int> paintedColumns(const QImage& image) {
  std::vector<int> columns;
  for (int x = 0; x < image.width(); ++x) {
    if (qAlpha(image.pixel(x, image.height() / 2)) == 0) continue;
    columns.push_back(x);
    for (int y = 0; y < image.height(); ++y) {
      const int alpha = qAlpha(image.pixel(x, y));
      EXPECT_GT(alpha, 0) << x << "," << y;
      EXPECT_LE(alpha, 255 * IndentGuide::lineOpacity + 1) << x << "," << y;
    }
  }
  return columns;
}

TEST(IndentGuide, DrawsAFaintLineAtTheLeadingEdgeOfEachLevel) {
  IndentGuide guide(3, 12);
  EXPECT_EQ(guide.sizeHint().width(), 36);
  EXPECT_EQ(guide.contentsMargins().top(), IndentGuide::overhang);
  EXPECT_EQ(guide.contentsMargins().bottom(), IndentGuide::overhang);
  const QImage image = paint(guide, 20);
  EXPECT_EQ(paintedColumns(image), (std::vector<int>{0, 12, 24}));
}

TEST(IndentGuide, LeadingEdgesAreOnTheRightInRightToLeftLayouts) {
  IndentGuide guide(2, 10);
  guide.setLayoutDirection(Qt::RightToLeft);
  const QImage image = paint(guide, 4);
  const int right = image.width() - 1;
  EXPECT_EQ(paintedColumns(image), (std::vector<int>{right - 10, right}));
}

TEST(IndentGuide, LevelZeroDrawsNothingAndClicksPassThrough) {
  IndentGuide guide(0, 12);
  EXPECT_EQ(guide.sizeHint().width(), 0);
  EXPECT_TRUE(paintedColumns(paint(guide, 20)).empty());
  EXPECT_TRUE(guide.testAttribute(Qt::WA_TransparentForMouseEvents));
}

}  // namespace
}  // namespace wendalore
