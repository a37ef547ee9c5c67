#include "Wendalore/Views/Editor/RequestEditorView.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "Platform/Dispatch/RunLoop.h"
#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Views/Editor/BodyPage.h"
#include "Wendalore/Views/Editor/CapsuleButton.h"
#include "Wendalore/Views/Editor/EditorFieldTag.h"
#include "Wendalore/Views/Editor/MultipartPage.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Platform/Store/SavedStoreCopy.h"

namespace wendalore {
namespace {

class RequestEditorViewTest : public ::testing::Test {
 protected:
  RequestEditorViewTest() {
    context->insert(request);
    view->resize(800, 600);
    view->show();
    QApplication::setActiveWindow(view.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
  }

  template <class Widget = QWidget>
  Widget* find(const char* name) const {
    auto* found = view->findChild<Widget*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QLineEdit* field(const EditorField& tag) const {
    for (auto* candidate : view->findChildren<QLineEdit*>()) {
      if (taggedField(candidate) == tag) return candidate;
    }
    return nullptr;
  }
  // Each key goes to the widget that has the focus as it is typed, with no
  // event handled in between: typing faster than the event loop runs.
  static void typeAtFullSpeed(const QString& keys) {
    for (const QChar key : keys) {
      auto* focused = QApplication::focusWidget();
      ASSERT_NE(focused, nullptr) << "nothing has the focus for " << QString(key).toStdString();
      if (key == '\t') {
        QTest::keyClick(focused, Qt::Key_Tab);
      } else if (key == '\n') {
        QTest::keyClick(focused, Qt::Key_Return);
      } else {
        QTest::keyClick(focused, key.toLatin1());
      }
    }
  }
  // Lets the main queue and the event loop run until `done`.
  static bool settle(const std::function<bool()>& done) {
    return platform::RunLoop::main().runUntil(
        [&] {
          QApplication::processEvents();
          return done();
        },
        std::chrono::seconds(2));
  }

  ScratchDirectory scratch;
  std::shared_ptr<platform::ModelContainer> container =
      *platform::ModelContainer::open(platform::Schema::of<RequestTemplate, RequestFolder>(), scratch / "s.sqlite");
  std::shared_ptr<platform::ModelContext> context = container->mainContext();
  std::shared_ptr<RequestTemplate> request = RequestTemplate::make("Users", "https://h.test/users", "GET", nullptr, 0);
  std::shared_ptr<RequestViewModel> viewModel = RequestViewModel::make();
  int updates = 0;
  std::unique_ptr<RequestEditorView> view =
      std::make_unique<RequestEditorView>(request, viewModel, context, [this] { ++updates; });
};

TEST_F(RequestEditorViewTest, SendButtonAndCtrlReturnSendWhileReturnAloneDoesNot) {
  request->setMultipartFieldName("upload");
  auto* url = find<QLineEdit>("urlField");
  url->setFocus();
  QTest::keyClick(url, Qt::Key_Return);
  EXPECT_TRUE(viewModel->requestHistory().empty());

  QTest::mouseClick(find<QPushButton>("sendButton"), Qt::LeftButton);
  ASSERT_EQ(viewModel->requestHistory().size(), 1u);
  EXPECT_EQ(viewModel->requestHistory().front()->url(), "https://h.test/users");
  EXPECT_EQ(viewModel->multipartFieldName(), "upload");

  const auto firstUpdate = request->updatedAt();
  QTest::keyClick(url, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(viewModel->requestHistory().size(), 2u);
  EXPECT_GE(request->updatedAt(), firstUpdate);
  EXPECT_EQ(request->lastExecuted(), std::nullopt);
}

TEST_F(RequestEditorViewTest, TypingTheURLFillsTheParamsAndUntickingOneRewritesIt) {
  auto* url = find<QLineEdit>("urlField");
  url->setFocus();
  QTest::keyClicks(url, "?a=1&a=2&flag");
  ASSERT_EQ(request->queryParams().size(), 3u);
  EXPECT_EQ(request->queryParams()[2]->key(), "flag");
  EXPECT_EQ(request->url(), "https://h.test/users?a=1&a=2&flag");

  // Unticking the second row rewrites the URL and the field shows it.
  auto* second = field(EditorField::key(request->queryParams()[1]->id()))->parentWidget();
  QApplication::processEvents();  // lays the new rows out
  QTest::mouseClick(second->findChild<QCheckBox*>("enabledBox"), Qt::LeftButton);
  EXPECT_EQ(request->url(), "https://h.test/users?a=1&flag=");
  EXPECT_EQ(url->text().toStdString(), "https://h.test/users?a=1&flag=");
  EXPECT_EQ(request->queryParams().size(), 3u);
}

TEST_F(RequestEditorViewTest, TabbingOutOfANewKeyAddsTheRowAndTypingGoesIntoIt) {
  auto* newKey = field(EditorField::newKey());
  ASSERT_NE(newKey, nullptr);
  newKey->setFocus();
  QTest::keyClicks(newKey, "page");
  QTest::keyClick(newKey, Qt::Key_Tab);
  ASSERT_EQ(request->queryParams().size(), 1u);
  const auto row = request->queryParams()[0];
  EXPECT_EQ(request->url(), "https://h.test/users?page=");

  ASSERT_TRUE(settle([&] { return QApplication::focusWidget() == field(EditorField::value(row->id())); }));
  QTest::keyClicks(QApplication::focusWidget(), "2");
  EXPECT_EQ(row->value(), "2");
  EXPECT_EQ(request->url(), "https://h.test/users?page=2");
  EXPECT_TRUE(field(EditorField::newValue())->text().isEmpty());
}

TEST_F(RequestEditorViewTest, KeysTypedRightAfterTabOrReturnInANewKeyGoIntoTheNewRow) {
  request->setURL("");
  field(EditorField::newKey())->setFocus();
  typeAtFullSpeed("abc\tabc-123");
  field(EditorField::newKey())->setFocus();
  typeAtFullSpeed("k5\nvalue5");
  QTest::mouseClick(find<QAbstractButton>("Headers"), Qt::LeftButton);
  field(EditorField::newHeaderKey())->setFocus();
  typeAtFullSpeed("X-Id\t42");
  settle([] { return false; });

  std::vector<std::string> params;
  for (const auto& row : request->queryParams()) params.push_back(row->key() + "=" + row->value());
  EXPECT_EQ(params, (std::vector<std::string>{"abc=abc-123", "k5=value5"}));
  EXPECT_EQ(request->url(), "?abc=abc-123&k5=value5");
  ASSERT_EQ(request->headers().size(), 1u);
  EXPECT_EQ(request->headers()[0]->value(), "42");
  for (const auto& addRow : {EditorField::newKey(), EditorField::newValue(), EditorField::newHeaderKey(),
                             EditorField::newHeaderValue()}) {
    EXPECT_TRUE(field(addRow)->text().isEmpty()) << field(addRow)->text().toStdString();
  }
}

TEST_F(RequestEditorViewTest, AnUntickedParameterIsDimmedAllButItsBox) {
  view->editor()->setURL("https://h.test/users?a=1");
  ASSERT_EQ(request->queryParams().size(), 1u);
  auto* key = field(EditorField::key(request->queryParams()[0]->id()));
  ASSERT_NE(key, nullptr);
  auto* box = key->parentWidget()->findChild<QCheckBox*>("enabledBox");
  ASSERT_NE(box, nullptr);
  QTest::mouseClick(box, Qt::LeftButton);
  ASSERT_FALSE(request->queryParams()[0]->isEnabled());

  const auto opacity = [this](QWidget* widget) {
    double shown = 1;
    for (; widget && widget != view.get(); widget = widget->parentWidget()) {
      if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget->graphicsEffect())) shown *= effect->opacity();
    }
    return shown;
  };
  EXPECT_DOUBLE_EQ(opacity(key), 0.5);
  EXPECT_DOUBLE_EQ(opacity(box), 1.0) << "an empty box at half opacity is all but invisible";
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_DOUBLE_EQ(opacity(key), 1.0);
}

TEST_F(RequestEditorViewTest, AnEmptyBoxShowsItsOutlineInADarkPalette) {
  QPalette dark = view->palette();
  dark.setColor(QPalette::Window, QColor(53, 53, 53));
  dark.setColor(QPalette::Base, QColor(36, 36, 36));
  dark.setColor(QPalette::Text, Qt::white);
  dark.setColor(QPalette::WindowText, Qt::white);
  view->setPalette(dark);
  view->editor()->setURL("https://h.test/users?a=1");
  auto* box = field(EditorField::key(request->queryParams()[0]->id()))->parentWidget()->findChild<QCheckBox*>();
  QTest::mouseClick(box, Qt::LeftButton);
  ASSERT_FALSE(box->isChecked());

  // The lightest pixel of the empty box against the field behind it.
  const QImage image = box->grab().toImage();
  int lightest = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) lightest = std::max(lightest, qGray(image.pixel(x, y)));
  }
  EXPECT_GE(lightest - qGray(dark.color(QPalette::Base).rgb()), 48) << "the outline is lost in the dark";
}

TEST_F(RequestEditorViewTest, ParamsAndHeadersShowTheirRowsInOneMonospacedFont) {
  view->editor()->setURL("https://h.test/users?page=2");
  request->setHeaders({RequestHeaderItem::make("X-Trace-Id", "abc-123")});
  const auto param = request->queryParams()[0]->id();
  for (const auto& tag : {EditorField::key(param), EditorField::value(param),
                          EditorField::headerKey(request->headers()[0]->id()),
                          EditorField::headerValue(request->headers()[0]->id()), EditorField::newHeaderKey()}) {
    const QFontMetrics shown(field(tag)->font());
    EXPECT_EQ(shown.horizontalAdvance("iiii"), shown.horizontalAdvance("MMMM")) << field(tag)->text().toStdString();
    EXPECT_EQ(field(tag)->font().pointSize(), 11) << field(tag)->text().toStdString();
  }
}

TEST_F(RequestEditorViewTest, HeadersAreAddedWithReturnAndDeletedByTheirButton) {
  QTest::mouseClick(find<QAbstractButton>("Headers"), Qt::LeftButton);
  auto* newHeader = field(EditorField::newHeaderKey());
  newHeader->setFocus();
  QTest::keyClicks(newHeader, "Accept");
  QTest::keyClick(newHeader, Qt::Key_Return);
  ASSERT_EQ(request->headers().size(), 1u);
  EXPECT_EQ(request->headers()[0]->key(), "Accept");
  EXPECT_EQ(request->url(), "https://h.test/users");

  auto* row = field(EditorField::headerKey(request->headers()[0]->id()))->parentWidget();
  QTest::mouseClick(row->findChild<QToolButton*>("deleteButton"), Qt::LeftButton);
  EXPECT_TRUE(request->headers().empty());
}

TEST_F(RequestEditorViewTest, TheMethodMenuStoresTheChoiceAndTellsTheOwnerOnce) {
  auto* menu = find<QToolButton>("methodMenu")->menu();
  QStringList titles;
  for (auto* action : menu->actions()) titles << action->text();
  EXPECT_EQ(titles, QStringList({"GET", "POST", "PUT", "PATCH", "DELETE", "OPTIONS", "HEAD"}));
  menu->actions()[3]->trigger();
  EXPECT_EQ(request->method(), "PATCH");
  EXPECT_EQ(find<QToolButton>("methodMenu")->text().toStdString(), "PATCH");
  EXPECT_EQ(updates, 1);
  menu->actions()[3]->trigger();
  EXPECT_EQ(updates, 1);
}

TEST_F(RequestEditorViewTest, AuthSegmentsSwitchTheCredentialsAndKeepThem) {
  QTest::mouseClick(find<QAbstractButton>("Auth"), Qt::LeftButton);
  QTest::mouseClick(find<QAbstractButton>("Basic Auth"), Qt::LeftButton);
  EXPECT_EQ(request->authType(), RequestAuthType::basic);
  QTest::keyClicks(find<QLineEdit>("Username"), "ann");
  QTest::mouseClick(find<QAbstractButton>("Bearer Token"), Qt::LeftButton);
  QTest::keyClicks(find<QLineEdit>("Token"), "t0k");
  QTest::mouseClick(find<QAbstractButton>("Basic Auth"), Qt::LeftButton);
  EXPECT_EQ(find<QLineEdit>("Username")->text().toStdString(), "ann");
  EXPECT_EQ(request->authToken(), "t0k");
  EXPECT_EQ(find<QLineEdit>("Password")->echoMode(), QLineEdit::Password);
}

TEST_F(RequestEditorViewTest, MultipartFileIsChosenShownAndClearedWithoutAnyCodeEditor) {
  request->setBodyType(RequestBodyType::multipart);
  QTest::mouseClick(find<QAbstractButton>("Body"), Qt::LeftButton);
  view->bodyPage()->multipartPage()->setFileChooser([](QWidget*) { return std::optional<std::string>("/data/report.pdf"); });
  QTest::mouseClick(find<QPushButton>("chooseFileButton"), Qt::LeftButton);
  EXPECT_EQ(request->multipartFileURL(), "file:///data/report.pdf");
  EXPECT_EQ(find<QLabel>("chosenFile")->text().toStdString(), "report.pdf");

  QTest::mouseClick(find<QToolButton>("clearFileButton"), Qt::LeftButton);
  EXPECT_EQ(request->multipartFileURL(), std::nullopt);
  EXPECT_EQ(request->multipartFileName(), "");
  EXPECT_TRUE(find<QLabel>("chosenFile")->isHidden());
  EXPECT_EQ(view->bodyPage()->codeEditor(), nullptr);
}

TEST_F(RequestEditorViewTest, ARawBodyMakesNoCodeEditorUntilItsPageIsShown) {
  request->setBodyType(RequestBodyType::rawText);
  EXPECT_EQ(view->bodyPage()->codeEditor(), nullptr);
}

TEST_F(RequestEditorViewTest, EditsAreSavedWhenTheEditorGoesAway) {
  auto* name = find<QLineEdit>("nameField");
  name->selectAll();
  QTest::keyClicks(name, "Renamed");
  EXPECT_EQ(updates, 7);
  view.reset();
  auto reopened =
      platform::testing::openSavedCopy(platform::Schema::of<RequestTemplate, RequestFolder>(), scratch / "s.sqlite");
  auto stored = reopened->mainContext()->fetch<RequestTemplate>();
  ASSERT_TRUE(stored && stored->size() == 1);
  EXPECT_EQ(stored->front()->name(), "Renamed");
}

TEST_F(RequestEditorViewTest, TabGoesThroughTheRowsInTheirOrderThenTheAddRowLineAndNothingInvisible) {
  auto* url = find<QLineEdit>("urlField");
  url->setFocus();
  QTest::keyClicks(url, "?a=1&b=2");
  ASSERT_EQ(request->queryParams().size(), 2u);
  // A third row added from the add-row line, as a person does it.
  auto* newKey = field(EditorField::newKey());
  newKey->setFocus();
  QTest::keyClicks(newKey, "c");
  QTest::keyClick(newKey, Qt::Key_Tab);
  ASSERT_EQ(request->queryParams().size(), 3u);
  const auto added = request->queryParams()[2];
  ASSERT_TRUE(settle([&] { return QApplication::focusWidget() == field(EditorField::value(added->id())); }));
  QTest::keyClicks(QApplication::focusWidget(), "3");

  QWidget* send = find<QPushButton>("sendButton");
  send->setFocus();
  std::vector<QWidget*> reached;
  for (int step = 0; step < 16 && QApplication::focusWidget() != find<QLineEdit>("nameField"); ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    reached.push_back(QApplication::focusWidget());
  }
  std::vector<QWidget*> expected{find("Params")->parentWidget()};
  for (const auto& param : request->queryParams()) {
    auto* row = field(EditorField::key(param->id()))->parentWidget();
    expected.push_back(row->findChild<QCheckBox*>("enabledBox"));
    expected.push_back(field(EditorField::key(param->id())));
    expected.push_back(field(EditorField::value(param->id())));
    expected.push_back(row->findChild<QToolButton*>("deleteButton"));
  }
  expected.push_back(field(EditorField::newKey()));
  expected.push_back(field(EditorField::newValue()));
  expected.push_back(find<QLineEdit>("nameField"));
  EXPECT_EQ(reached, expected);
  for (auto* control : reached) {
    EXPECT_TRUE(qobject_cast<QLineEdit*>(control) || qobject_cast<QAbstractButton*>(control) ||
                control == expected.front())
        << control->metaObject()->className() << " takes the focus but shows none";
  }
}

// From the URL field, Tab goes round the editor: every stop is on screen
// and looks otherwise while it has the focus. The page tabs come right
// after Send and turn the pages with the arrow keys and Space; Tab goes on
// into the page they show.
TEST_F(RequestEditorViewTest, TabFromTheURLStopsOnlyWhereTheFocusShowsAndReachesThePageTabs) {
  auto* url = find<QLineEdit>("urlField");
  url->setFocus();
  QTest::keyClicks(url, "?a=1");
  std::vector<QWidget*> reached;
  for (int step = 0; step < 16 && (reached.empty() || reached.back() != url); ++step) {
    QWidget* left = QApplication::focusWidget();
    const QImage focused = left->grab().toImage();
    QTest::keyClick(left, Qt::Key_Tab);
    reached.push_back(QApplication::focusWidget());
    ASSERT_TRUE(reached.back()->isVisible()) << reached.back()->metaObject()->className();
    EXPECT_NE(left->grab().toImage(), focused) << left->metaObject()->className() << " shows no focus";
  }
  auto* tabs = find("Params")->parentWidget();
  ASSERT_GE(reached.size(), 2u);
  EXPECT_EQ(reached[0], find<QPushButton>("sendButton"));
  ASSERT_EQ(reached[1], tabs) << "the page tabs are never reached";

  tabs->setFocus(Qt::TabFocusReason);
  const auto pageAfter = [&](Qt::Key key) {
    QTest::keyClick(tabs, key);
    return view->editor()->selectedTab;
  };
  EXPECT_EQ(pageAfter(Qt::Key_Right), EditorTab::headers);
  EXPECT_TRUE(field(EditorField::newHeaderKey())->isVisible());
  EXPECT_EQ(pageAfter(Qt::Key_Space), EditorTab::body);
  EXPECT_TRUE(find("bodyTypePicker")->isVisible());
  EXPECT_EQ(pageAfter(Qt::Key_Left), EditorTab::headers);
  QTest::keyClick(tabs, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), field(EditorField::newHeaderKey()));
}

TEST_F(RequestEditorViewTest, TypingAtTheEndOfALongQueryRedrawsTheRowsItHasInPlace) {
  std::string query = "?";
  for (int index = 0; index < 300; ++index) query += "k" + std::to_string(index) + "=v&";
  query += "last=1";
  request->setURL("https://h.test/users" + query);
  view->editor()->syncParamsFromURL();
  ASSERT_EQ(request->queryParams().size(), 301u);
  QApplication::processEvents();
  const auto rowsShown = [&] {
    std::vector<QWidget*> rows;
    for (const auto& param : request->queryParams()) {
      auto* key = field(EditorField::key(param->id()));
      rows.push_back(key ? key->parentWidget() : nullptr);
    }
    return rows;
  };
  const auto before = rowsShown();
  const auto lastBefore = request->queryParams().back();

  auto* url = find<QLineEdit>("urlField");
  url->setFocus();
  url->end(false);
  QTest::keyClicks(url, "2");

  // The items are made anew, as the URL differs from them, but the rows on
  // screen stay and show them.
  ASSERT_EQ(request->queryParams().size(), 301u);
  const auto last = request->queryParams().back();
  EXPECT_NE(last->id(), lastBefore->id());
  EXPECT_EQ(last->value(), "12");
  EXPECT_EQ(rowsShown(), before);
  EXPECT_EQ(field(EditorField::value(last->id()))->text(), "12");
  EXPECT_EQ(field(EditorField::value(lastBefore->id())), nullptr);

  // A row shown for a newer item edits that item.
  QTest::keyClicks(field(EditorField::value(last->id())), "3");
  EXPECT_EQ(last->value(), "123");
  EXPECT_TRUE(request->url().ends_with("&last=123"));
}

// How far the symbol's most contrasting pixel stands from the button's own
// background, in grey levels: above zero when it is lighter, below when
// darker.
int symbolInk(QWidget& button, const QRectF& symbol) {
  const QImage image = button.grab().toImage();
  const int background = qGray(image.pixel(image.width() / 2, 1));
  int ink = 0;
  const QRect box = symbol.toAlignedRect().intersected(image.rect());
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) {
      const int difference = qGray(image.pixel(x, y)) - background;
      if (std::abs(difference) > std::abs(ink)) ink = difference;
    }
  }
  return ink;
}

TEST_F(RequestEditorViewTest, SendLeadsWithAPaperPlaneAndTheMethodEndsWithAChevronInLightAndDarkPalettes) {
  auto* send = dynamic_cast<CapsuleButton<QPushButton>*>(find<QPushButton>("sendButton"));
  auto* method = dynamic_cast<CapsuleButton<QToolButton>*>(find<QToolButton>("methodMenu"));
  ASSERT_NE(send, nullptr);
  ASSERT_NE(method, nullptr);
  EXPECT_NEAR(send->textRect().left() - send->symbolRect().right(), 4, 0.5);
  EXPECT_NEAR(method->symbolRect().left() - method->textRect().right(), 6, 0.5);
  EXPECT_TRUE(QRectF(send->rect()).contains(send->symbolRect()));
  EXPECT_TRUE(QRectF(method->rect()).contains(method->symbolRect()));

  QPalette light = view->palette();
  light.setColor(QPalette::Window, QColor(239, 239, 239));
  light.setColor(QPalette::ButtonText, Qt::black);
  light.setColor(QPalette::PlaceholderText, QColor(0, 0, 0, 128));
  QPalette dark = light;
  dark.setColor(QPalette::Window, QColor(53, 53, 53));
  dark.setColor(QPalette::ButtonText, Qt::white);
  dark.setColor(QPalette::PlaceholderText, QColor(255, 255, 255, 128));
  for (const auto& [palette, sign] : {std::pair{light, -1}, std::pair{dark, 1}}) {
    view->setPalette(palette);
    EXPECT_GE(sign * symbolInk(*send, send->symbolRect()), 80) << "paper plane, ink towards " << sign;
    EXPECT_GE(sign * symbolInk(*method, method->symbolRect()), 40) << "chevron, ink towards " << sign;
  }
}

}  // namespace
}  // namespace wendalore
