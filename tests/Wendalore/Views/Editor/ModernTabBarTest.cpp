#include "Wendalore/Views/Editor/ModernTabBar.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVariantAnimation>

namespace wendalore {
namespace {

// A tab widens by exactly what its badge takes, so its width tells whether
// a badge is drawn.
TEST(ModernTabBar, OnlyCountsOfOneOrMoreAndTheActiveMarkShowABadge) {
  ModernTabBar bar;
  auto* params = bar.findChild<QAbstractButton*>("Params");
  ASSERT_NE(params, nullptr);
  const int bare = params->sizeHint().width();
  struct Case {
    const char* name;
    std::map<EditorTab, TabStatus> status;
    bool badge;
  };
  const Case cases[] = {
      {"no entry", {}, false},
      {"none", {{EditorTab::params, TabStatus::none()}}, false},
      {"zero", {{EditorTab::params, TabStatus::count(0)}}, false},
      {"negative", {{EditorTab::params, TabStatus::count(-2)}}, false},
      {"one", {{EditorTab::params, TabStatus::count(1)}}, true},
      {"active", {{EditorTab::params, TabStatus::active()}}, true},
  };
  for (const auto& test : cases) {
    bar.setStatus(test.status);
    EXPECT_EQ(params->sizeHint().width() > bare, test.badge) << test.name;
  }
}

TEST(ModernTabBar, EveryClickReportsItsTabAndTheTitlesFollowTheCases) {
  ModernTabBar bar;
  std::vector<EditorTab> selected;
  bar.onSelect = [&](EditorTab tab) { selected.push_back(tab); };
  bar.show();
  for (const char* title : {"Auth", "Auth", "Params"}) {
    auto* tab = bar.findChild<QAbstractButton*>(title);
    ASSERT_NE(tab, nullptr) << title;
    QTest::mouseClick(tab, Qt::LeftButton, {}, QPoint(2, 2));  // the inset counts too
  }
  EXPECT_EQ(selected, (std::vector{EditorTab::auth, EditorTab::auth, EditorTab::params}));
  EXPECT_EQ(bar.selection(), EditorTab::params);
}

TEST(ModernTabBar, TheCapsuleSlidesOnAClickEvenWhenTheOwnerEchoesTheSelection) {
  ModernTabBar bar;
  bar.onSelect = [&](EditorTab tab) { bar.setSelection(tab); };
  bar.show();
  auto* slide = bar.findChild<QVariantAnimation*>();
  ASSERT_NE(slide, nullptr);
  QTest::mouseClick(bar.findChild<QAbstractButton*>("Auth"), Qt::LeftButton);
  EXPECT_EQ(slide->state(), QAbstractAnimation::Running);
  bar.setSelection(EditorTab::headers);  // from outside: no slide
  EXPECT_NE(slide->state(), QAbstractAnimation::Running);
}

// Reached with Tab, the strip rings its capsule; Left and Right stop at the
// ends, Space goes on from the last tab to the first.
TEST(ModernTabBar, ArrowKeysAndSpaceSelectFromTheKeyboardWhileARingShowsTheFocus) {
  QWidget window;
  auto* field = new QLineEdit(&window);  // has the focus first
  auto* bar = new ModernTabBar(&window);
  bar->move(0, field->sizeHint().height());
  std::vector<EditorTab> selected;
  bar->onSelect = [&](EditorTab tab) { selected.push_back(tab); };
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  ASSERT_TRUE(field->hasFocus());
  const QImage unfocused = bar->grab().toImage();
  bar->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(bar->hasFocus());
  EXPECT_NE(bar->grab().toImage(), unfocused) << "the focus is shown nowhere";

  for (const auto key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Space,
                         Qt::Key_Space, Qt::Key_Left}) {
    QTest::keyClick(bar, key);
  }
  EXPECT_EQ(selected, (std::vector{EditorTab::headers, EditorTab::body, EditorTab::auth, EditorTab::params,
                                   EditorTab::headers, EditorTab::params}));
  EXPECT_EQ(bar->selection(), EditorTab::params);
}

}  // namespace
}  // namespace wendalore
