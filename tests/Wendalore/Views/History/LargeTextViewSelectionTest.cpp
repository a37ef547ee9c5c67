#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QLabel>
#include <QTest>

#include "Wendalore/Views/History/LargeTextView.h"

using namespace wendalore;

namespace {

constexpr int longWait = 60000;

// A view showing `text`, active, with the keyboard.
class ShownView {
 public:
  explicit ShownView(const std::string& text) {
    view.resize(400, 300);
    view.setTextFont(font, 0);
    view.show();
    view.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&view));
    view.setText(std::make_shared<const std::string>(text));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.isLoaded(); }, longWait));
    view.setFocus();
  }

  // `count` quick left clicks at `point` of the viewport, sent through the
  // window system's input as a mouse would, so that the application itself
  // makes the double click of the second.
  void click(QPoint point, int count) {
    QWindow* window = view.windowHandle();
    const QPointF local = view.viewport()->mapTo(&view, point);
    const QPointF global = window->mapToGlobal(local);
    // Well apart from any click before.
    QTest::lastMouseTimestamp += 2 * QTest::mouseDoubleClickInterval;
    for (int index = 0; index < count; ++index) {
      QTest::lastMouseTimestamp += 20;
      qt_handleMouseEvent(window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress, {},
                          QTest::lastMouseTimestamp);
      QTest::lastMouseTimestamp += 20;
      qt_handleMouseEvent(window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease, {},
                          QTest::lastMouseTimestamp);
    }
    QTest::lastMouseTimestamp += 2 * QTest::mouseDoubleClickInterval;
    QCoreApplication::processEvents();
  }

  // A point inside column `column` of row `row`.
  QPoint at(int column, int row) const {
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('M'));
    return QPoint(static_cast<int>((column + 0.3) * advance), row * view.rowHeight() + view.rowHeight() / 2);
  }

  const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  LargeTextView view;
};

TEST(LargeTextViewMouse, ADoubleClickSelectsTheWordAndATripleClickTheLine) {
  ShownView shown("first line\nsecond word_two, three\nlast");

  // On "word_two", the fourth column of it.
  shown.click(shown.at(10, 1), 2);
  EXPECT_EQ(shown.view.selectedText().toStdString(), "word_two");
  shown.click(shown.at(10, 1), 3);
  EXPECT_EQ(shown.view.selectedText().toStdString(), "second word_two, three\n");
  // The last line has no line feed to take.
  shown.click(shown.at(1, 2), 3);
  EXPECT_EQ(shown.view.selectedText().toStdString(), "last");
  // A single click after all that only places the caret.
  shown.click(shown.at(1, 0), 1);
  EXPECT_EQ(shown.view.selectedText().toStdString(), "");
}

TEST(LargeTextViewMouse, DraggingAfterADoubleOrTripleClickSelectsWholeWordsOrLines) {
  ShownView shown("alpha beta gamma\ndelta epsilon\nzeta\n");
  QWindow* window = shown.view.windowHandle();
  const auto onWindow = [&](QPoint point) { return shown.view.viewport()->mapTo(&shown.view, point); };

  // Press twice on "beta", then drag to the middle of "epsilon".
  QTest::lastMouseTimestamp += 2 * QTest::mouseDoubleClickInterval;
  QTest::mouseClick(window, Qt::LeftButton, {}, onWindow(shown.at(7, 0)));
  QTest::lastMouseTimestamp -= QTest::mouseDoubleClickInterval;
  QTest::mousePress(window, Qt::LeftButton, {}, onWindow(shown.at(7, 0)));
  QTest::mouseMove(window, onWindow(shown.at(9, 1)));
  QTest::mouseRelease(window, Qt::LeftButton, {}, onWindow(shown.at(9, 1)));
  EXPECT_EQ(shown.view.selectedText().toStdString(), "beta gamma\ndelta epsilon");

  // Three presses on "zeta", then drag up into the first line.
  shown.click(shown.at(1, 2), 2);
  QTest::lastMouseTimestamp -= 2 * QTest::mouseDoubleClickInterval;
  QTest::mousePress(window, Qt::LeftButton, {}, onWindow(shown.at(1, 2)));
  QTest::mouseMove(window, onWindow(shown.at(2, 0)));
  QTest::mouseRelease(window, Qt::LeftButton, {}, onWindow(shown.at(2, 0)));
  EXPECT_EQ(shown.view.selectedText().toStdString(), "alpha beta gamma\ndelta epsilon\nzeta\n");
}

TEST(LargeTextViewCopy, CopyingAHugeSelectionKeepsTheWindowFreeAndCopiesItExactly) {
  std::string text;
  for (int line = 0; text.size() < (48U << 20); ++line) {
    text += "ligne \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80 " + std::to_string(line) + (line % 1000 == 0 ? std::string(40000, 'x') : "") + "\n";
  }
  ShownView shown(text);
  QApplication::clipboard()->setText("before");

  QTest::keyClick(&shown.view, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&shown.view, Qt::Key_C, Qt::ControlModifier);
  // The keys came back before the text was built, with a note meanwhile.
  EXPECT_EQ(QApplication::clipboard()->text(), "before");
  EXPECT_TRUE(shown.view.isCopying());
  const auto* note = shown.view.findChild<QLabel*>();
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->isVisible());

  // The window keeps handling events until the text is in.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.view.isCopying(); }, longWait));
  EXPECT_FALSE(note->isVisible());
  EXPECT_TRUE(QApplication::clipboard()->text() == QString::fromUtf8(text)) << "the clipboard differs from the text";

  // A small selection is there at once.
  shown.view.selectAll();
  QTest::keyClick(&shown.view, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(&shown.view, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(&shown.view, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "l");
}

}  // namespace
