#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "Wendalore/History/HistoryRowText.h"
#include "Wendalore/Views/Editor/EditorFieldTag.h"
#include "Wendalore/Views/History/HeadersTabView.h"
#include "Wendalore/Views/History/HighlightedTextView.h"
#include "Wendalore/Views/History/HistoryStyle.h"
#include "Wendalore/Views/History/LargeTextView.h"
#include "Wendalore/Views/History/RequestHistoryDetailView.h"
#include "Wendalore/Views/History/RequestHistoryListView.h"
#include "Wendalore/Views/History/RequestHistoryView.h"
#include "Wendalore/Views/History/WaterfallBar.h"
#include "Wendalore/Views/Shell/WendaloreApp.h"
#include "tests/MonacoHost/PageSession.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Window/ShownWindow.h"
#include "tests/desktop/AppProcess.h"
#include "tests/servers/HttpbinServer.h"
#include "tests/servers/LoopbackHTTPServer.h"
#include "tests/servers/ScriptedHTTPServer.h"

namespace wendalore {
namespace {

constexpr int uiTimeout = 10'000;
constexpr int sendTimeout = 30'000;

// The whole window on a scratch store, shown, with one new request selected
// in the editor.
class SendAndInspectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app = launchWithNewRequest(scratch / "Wendalore.sqlite", uiTimeout);
    ASSERT_NE(app, nullptr);
  }

  MainWindow& window() const { return app->window(); }
  // Where the window puts the editor of the selected request.
  QWidget& editor() const { return child(window(), "editorPlace"); }
  RequestHistoryView& history() const { return *window().findChild<RequestHistoryView*>(); }
  const std::vector<std::shared_ptr<RequestHistoryItem>>& entries() const {
    return window().viewModel()->requestHistory();
  }

  template <typename Widget = QWidget>
  static Widget& child(const QWidget& parent, const QString& name) {
    auto* found = parent.findChild<Widget*>(name);
    if (!found) throw std::runtime_error("no widget named " + name.toStdString());
    return *found;
  }

  // The shown field that `matches`, once there is one.
  static QLineEdit& shownField(const QWidget& parent, const std::function<bool(const QLineEdit&)>& matches) {
    QLineEdit* found = nullptr;
    const bool shown = QTest::qWaitFor(
        [&] {
          for (auto* field : parent.findChildren<QLineEdit*>()) {
            if (field->isVisible() && matches(*field)) found = field;
          }
          return found != nullptr;
        },
        uiTimeout);
    if (!shown) throw std::runtime_error("no such field is shown");
    return *found;
  }

  static QLineEdit& fieldWithPlaceholder(const QWidget& parent, const QString& placeholder) {
    return shownField(parent, [&](const QLineEdit& field) { return field.placeholderText() == placeholder; });
  }

  static void click(QWidget& widget) { QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center()); }

  static void typeInto(QLineEdit& field, const QString& text) {
    click(field);
    QTest::keyClicks(&field, text);
  }

  // The method menu opens modally: its item is clicked once it is up.
  void chooseMethod(const QString& method) {
    QTimer::singleShot(0, [method] {
      if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, uiTimeout)) return;
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return;
      for (auto* action : menu->actions()) {
        if (action->text() == method) QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
      }
    });
    click(child(editor(), "methodMenu"));
  }

  // The body type chosen with the keyboard on the Body page.
  void chooseBodyType(const QString& type) {
    click(child(editor(), "Body"));
    auto& picker = child<QComboBox>(editor(), "bodyTypePicker");
    picker.setFocus();
    while (picker.currentText() != type && picker.currentIndex() + 1 < picker.count()) {
      QTest::keyClick(&picker, Qt::Key_Down);
    }
    ASSERT_EQ(picker.currentText(), type);
  }

  // A header typed into the add-row line of the Headers page: Return there
  // adds the row and moves on to its value.
  void addHeader(const QString& name, const QString& value) {
    click(child(editor(), "Headers"));
    auto& newHeader = fieldWithPlaceholder(editor(), "New Header");
    typeInto(newHeader, name);
    QTest::keyClick(&newHeader, Qt::Key_Return);
    auto& valueField = shownField(editor(), [](const QLineEdit& field) {
      return field.placeholderText() == "Value" && field.hasFocus();
    });
    QTest::keyClicks(&valueField, value);
  }

  void screenshot(const std::string& name) {
    QApplication::processEvents();
    const auto file = desktop::screenshotDirectory() / ("window-" + name + ".png");
    EXPECT_TRUE(window().grab().save(QString::fromStdString(file.string()), "PNG")) << file;
  }

  // A GET of `url` sent from the editor, its answer shown highlighted in
  // the Response tab and screenshot as `name`.
  void showAnswer(const std::string& url, const std::string& name) {
    typeInto(child<QLineEdit>(editor(), "urlField"), QString::fromStdString(url));
    click(child(editor(), "sendButton"));
    ASSERT_EQ(entries().size(), 1u) << "the send was not started";
    entry = entries().front();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !entry->isPending(); }, sendTimeout));
    ASSERT_EQ(entry->statusCode(), 200) << entry->error().value_or("");

    auto& list = child<QListView>(history(), "historyList");
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(0, 0)).center());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return app->content().controller().selectedHistoryItem() == entry; }, uiTimeout));
    click(child(history(), "Response"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (response = history().findChild<wendalore::HighlightedTextView*>("responseText")); },
        uiTimeout));
    ASSERT_TRUE(QTest::qWaitFor([&] { return response->isHighlightingDone(); }, sendTimeout));
    screenshot(name);
    styled = ResponseHighlighter::shared().cached(
        ResponseHighlighter::Key::of(entry->id(), response->themeName().toStdString(), entry->responseBody()));
    ASSERT_TRUE(styled);
  }

  // The style of the first character of `text` in the answer; -1 where
  // it has none.
  int styleAt(std::string_view text) const {
    const auto at = static_cast<std::uint32_t>(entry->responseBody().find(text));
    const auto spans = styled->spansBetween(at, at + 1);
    return spans.empty() ? -1 : spans.front().style;
  }

  ScratchDirectory scratch;
  std::unique_ptr<WendaloreApp> app;
  // The answer showAnswer showed.
  std::shared_ptr<RequestHistoryItem> entry;
  wendalore::HighlightedTextView* response = nullptr;
  ResponseHighlighter::Result styled;
};

QJsonObject jsonObject(const std::string& text) { return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object(); }

TEST_F(SendAndInspectTest, AJSONPostTypedInTheEditorIsRecordedAsEchoedAndInspectedInEveryTab) {
  const std::string base = testservers::HttpbinServer::shared().baseURL();
  const std::string body = "{\"name\":\"wendalore\",\"count\":2}";

  typeInto(child<QLineEdit>(editor(), "urlField"), QString::fromStdString(base + "/anything?x=1&y=two"));
  chooseMethod("POST");
  ASSERT_TRUE(QTest::qWaitFor([&] { return child<QToolButton>(editor(), "methodMenu").text().contains("POST"); }, uiTimeout));
  addHeader("X-Trace", "abc 123");

  ASSERT_NO_FATAL_FAILURE(chooseBodyType("JSON"));
  QWebEngineView* bodyEditor = nullptr;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        // An editor of a body type passed on the way is hidden and goes later.
        for (auto* shown : editor().findChildren<QWidget*>("bodyEditor")) {
          if (shown->isVisible()) bodyEditor = shown->findChild<QWebEngineView*>();
        }
        return bodyEditor != nullptr;
      },
      uiTimeout));
  PageSession page(*bodyEditor);
  ASSERT_TRUE(page.waitForEditor());
  QWidget& webEditor = *bodyEditor->focusProxy();
  click(webEditor);
  ASSERT_TRUE(QTest::qWaitFor([&] { return page.editorValue("editor.hasTextFocus()").toBool(); }, uiTimeout));
  QTest::keyClicks(&webEditor, QString::fromStdString(body));
  const auto& stored = app->content().controller().selectedTemplate();
  ASSERT_TRUE(QTest::qWaitFor([&] { return stored->body() == body; }, uiTimeout)) << stored->body();

  // Without a window manager the web view's own native window takes the
  // display's focus from the window; a user's click would give it back.
  window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  ASSERT_EQ(QApplication::focusWidget(), &webEditor);
  // The send starts once the editor has given the text it shows; the entry
  // is pending as it comes.
  bool pendingWhenAdded = false;
  const auto added = window().viewModel()->observeDidChange([&](std::string_view property) {
    if (property == "requestHistory" && !entries().empty()) pendingWhenAdded = entries().front()->isPending();
  });
  QTest::keyClick(&webEditor, Qt::Key_Return, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !entries().empty(); }, uiTimeout)) << "the send was not started";
  const auto entry = entries().front();
  EXPECT_TRUE(pendingWhenAdded);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !entry->isPending(); }, sendTimeout));
  ASSERT_EQ(entry->statusCode(), 200) << entry->error().value_or("");
  EXPECT_EQ(entries().size(), 1u);

  // What was recorded is what the server saw.
  const QJsonObject echo = jsonObject(entry->responseBody());
  EXPECT_NE(entry->responseBody().find("\n  \""), std::string::npos) << "pretty-printed";
  EXPECT_EQ(echo["method"].toString(), "POST");
  EXPECT_EQ(echo["args"].toObject(), (QJsonObject{{"x", "1"}, {"y", "two"}}));
  EXPECT_EQ(echo["json"].toObject(), jsonObject(body));
  EXPECT_EQ(echo["data"].toString().toStdString(), body);
  EXPECT_EQ(entry->requestBody(), body);
  const QJsonObject echoedHeaders = echo["headers"].toObject();
  for (const auto& [name, value] : entry->requestHeaders()) {
    EXPECT_EQ(echoedHeaders[QString::fromStdString(name)].toString().toStdString(), value) << name;
  }
  EXPECT_EQ(entry->requestHeaders().at("X-Trace"), "abc 123");
  EXPECT_EQ(echoedHeaders["Content-Type"].toString(), "application/json");
  screenshot("sent");

  // Selected, the entry shows in each tab; both request texts copy exactly
  // what they show. The Headers tab and the raw request show the entry: the
  // headers the send added on its way out (the session's, the JSON type)
  // are not part of it.
  auto& list = child<QListView>(history(), "historyList");
  ASSERT_EQ(list.model()->rowCount(), 1);
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(0, 0)).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return app->content().controller().selectedHistoryItem() == entry; }, uiTimeout));
  const std::vector<std::pair<QString, std::string>> tabs = {
      {"Response", "response"}, {"Headers", "headers"}, {"Metrics", "metrics"},
      {"cUrl", "curl"},         {"Raw Request", "raw-request"}};
  for (const auto& [title, name] : tabs) {
    SCOPED_TRACE(name);
    click(child(history(), title));
    if (title == "Response") {
      wendalore::HighlightedTextView* response = nullptr;
      ASSERT_TRUE(QTest::qWaitFor(
          [&] { return (response = history().findChild<wendalore::HighlightedTextView*>("responseText")); },
          uiTimeout));
      // The screenshot shows the body as a user sees it a moment later.
      EXPECT_TRUE(QTest::qWaitFor([&] { return response->areShownLinesColoured(); }, uiTimeout));
    }
    if (title == "cUrl" || title == "Raw Request") {
      wendalore::LargeTextView* shown = nullptr;
      ASSERT_TRUE(QTest::qWaitFor(
          [&] {
            return (shown = history().findChild<wendalore::LargeTextView*>("requestText")) && shown->isVisible();
          },
          uiTimeout));
      QApplication::clipboard()->clear();
      click(child(history(), "copyButton"));
      EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::clipboard()->text() == shown->text(); }, uiTimeout))
          << QApplication::clipboard()->text().toStdString();
      EXPECT_TRUE(shown->text().contains("X-Trace")) << shown->text().toStdString();
      if (title == "Raw Request") {
        EXPECT_EQ(shown->text().toStdString(), "POST /anything?x=1&y=two HTTP/1.1\nHost: " + base.substr(7) +
                                                   "\nX-Trace: abc 123\n\n" + body);
      }
    }
    if (title == "Headers") {
      auto* headers = history().findChild<wendalore::HeadersTabView*>();
      ASSERT_NE(headers, nullptr);
      EXPECT_TRUE(QTest::qWaitFor([&] { return headers->isVisible(); }, uiTimeout));
      EXPECT_TRUE(headers->text().startsWith("Request Headers\nX-Trace\nabc 123\nResponse Headers\n"))
          << headers->text().toStdString();
    }
    screenshot(name);
  }
}

// A form body always goes out as a form, whatever type a row gave: the
// Raw Request and Headers tabs show the type that went out on the row's
// line, and no line for what the send added without a row.
TEST_F(SendAndInspectTest, AFormPostShowsTheTypeItWentOutWithInPlaceOfTheRows) {
  const std::string base = testservers::HttpbinServer::shared().baseURL();
  typeInto(child<QLineEdit>(editor(), "urlField"), QString::fromStdString(base + "/anything"));
  chooseMethod("POST");
  ASSERT_TRUE(QTest::qWaitFor([&] { return child<QToolButton>(editor(), "methodMenu").text().contains("POST"); }, uiTimeout));
  addHeader("Content-Type", "text/plain");
  ASSERT_NO_FATAL_FAILURE(chooseBodyType("Form URL Encoded"));
  // The body editor is another test's concern; the text goes in as it would
  // once typed.
  const std::string body = "name=wendalore&count=2";
  app->content().controller().selectedTemplate()->setBody(body);

  click(child(editor(), "sendButton"));
  ASSERT_EQ(entries().size(), 1u) << "the send was not started";
  const auto entry = entries().front();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !entry->isPending(); }, sendTimeout));
  ASSERT_EQ(entry->statusCode(), 200) << entry->error().value_or("");
  const QJsonObject echo = jsonObject(entry->responseBody());
  const std::string formType = "application/x-www-form-urlencoded";
  EXPECT_EQ(echo["headers"].toObject()["Content-Type"].toString().toStdString(), formType);
  EXPECT_EQ(echo["form"].toObject(), (QJsonObject{{"name", "wendalore"}, {"count", "2"}}));

  auto& list = child<QListView>(history(), "historyList");
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(0, 0)).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return app->content().controller().selectedHistoryItem() == entry; }, uiTimeout));
  click(child(history(), "Raw Request"));
  wendalore::LargeTextView* raw = nullptr;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return (raw = history().findChild<wendalore::LargeTextView*>("requestText")) && raw->isVisible(); },
      uiTimeout));
  EXPECT_EQ(raw->text().toStdString(),
            "POST /anything HTTP/1.1\nContent-Type: " + formType + "\nHost: " + base.substr(7) + "\n\n" + body);
  screenshot("form-raw-request");

  click(child(history(), "Headers"));
  auto* headers = history().findChild<wendalore::HeadersTabView*>();
  ASSERT_NE(headers, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return headers->isVisible(); }, uiTimeout));
  EXPECT_TRUE(headers->text().startsWith(QString::fromStdString("Request Headers\nContent-Type\n" + formType +
                                                                "\nResponse Headers\n")))
      << headers->text().toStdString();
  screenshot("form-headers");
}

// An answer that took 10 s: every length of its waterfall is written whole,
// in the window at its default size and at its least.
TEST_F(SendAndInspectTest, TheWaterfallOfALongWaitShowsEveryLengthWhole) {
  typeInto(child<QLineEdit>(editor(), "urlField"),
           QString::fromStdString(testservers::HttpbinServer::shared().baseURL() + "/delay/10"));
  click(child(editor(), "sendButton"));
  ASSERT_EQ(entries().size(), 1u) << "the send was not started";
  const auto entry = entries().front();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !entry->isPending(); }, sendTimeout + 10'000));
  ASSERT_EQ(entry->statusCode(), 200) << entry->error().value_or("");
  ASSERT_GE(entry->duration(), 10);

  auto& list = child<QListView>(history(), "historyList");
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(0, 0)).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return app->content().controller().selectedHistoryItem() == entry; }, uiTimeout));
  click(child(history(), "Metrics"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return history().findChild<QWidget*>("waterfallCard") != nullptr; }, uiTimeout));

  const QSize defaultSize = window().size();
  for (const auto& [size, name] : {std::pair{defaultSize, "waterfall-10s-default-size"},
                                   std::pair{window().minimumSizeHint(), "waterfall-10s-least-size"}}) {
    window().resize(size);
    QApplication::processEvents();
    // The card is scrolled into view, as a user would to read it.
    auto& card = child(history(), "waterfallCard");
    QWidget* scroller = &card;
    while (scroller && !qobject_cast<QScrollArea*>(scroller)) scroller = scroller->parentWidget();
    if (scroller) qobject_cast<QScrollArea*>(scroller)->ensureWidgetVisible(&card, 0, 0);
    QApplication::processEvents();
    const QFontMetrics font(monospacedCaptionFont());
    const auto bars = history().findChildren<WaterfallBar*>();
    ASSERT_FALSE(bars.empty());
    for (const auto* bar : bars) {
      const auto text = QString::fromStdString(formatSeconds(bar->phase().length));
      EXPECT_GE(bar->lengthRect().width(), font.horizontalAdvance(text)) << text.toStdString() << " " << name;
      EXPECT_GE(bar->width(), bar->minimumSizeHint().width()) << name;
    }
    screenshot(name);
  }
}

TEST_F(SendAndInspectTest, AHeaderValueWithALineBreakFailsTheSendBeforeAnythingReachesTheServer) {
  testservers::LoopbackHTTPServer server;
  typeInto(child<QLineEdit>(editor(), "urlField"), QString::fromStdString(server.baseURL() + "/echo"));
  addHeader("X-Split", "first");
  // A line break reaches a single-line field by pasting.
  auto& value = shownField(editor(), [](const QLineEdit& field) { return field.text() == "first"; });
  QApplication::clipboard()->setText("\r\nInjected: yes");
  click(value);
  QTest::keyClick(&value, Qt::Key_End);
  QTest::keyClick(&value, Qt::Key_V, Qt::ControlModifier);
  const auto& stored = app->content().controller().selectedTemplate();
  ASSERT_EQ(stored->headers().size(), 1u);
  ASSERT_EQ(stored->headers()[0]->value(), "first\r\nInjected: yes");

  QTest::keyClick(&value, Qt::Key_Return, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !entries().empty() && !entries().front()->isPending(); }, sendTimeout));
  EXPECT_NE(entries().front()->statusCode(), 200);
  const std::string error = entries().front()->error().value_or("no error");
  EXPECT_EQ(error, window().viewModel()->errorMessage().value_or("no error in the view model")) << error;
  EXPECT_NE(error.find("\"X-Split\""), std::string::npos) << error;
  EXPECT_EQ(server.requestCount(), 0u);
  screenshot("header-line-break");
}

// A GET refused for its form body of three lines tells why in its row and
// its Response tab, body and all, and takes no room from the window for it.
// Each row spans the list, its time whole, as sends fill the list until it
// scrolls, and as rows laid out in a taller window are narrowed by the
// scroll bar a shorter one brings.
TEST_F(SendAndInspectTest, ARefusedGETWithAFormOfThreeLinesIsToldInItsRowAndSqueezesNothing) {
  const std::string body = "alpha=1\nbeta=two words\ngamma=a&b";
  typeInto(child<QLineEdit>(editor(), "urlField"),
           QString::fromStdString(testservers::HttpbinServer::shared().baseURL() + "/get"));
  ASSERT_NO_FATAL_FAILURE(chooseBodyType("Form URL Encoded"));
  app->content().controller().selectedTemplate()->setBody(body);
  auto& list = history().list().list();
  const auto send = [&] {
    const std::size_t before = entries().size();
    click(child(editor(), "sendButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return entries().size() == before + 1; }, uiTimeout)) << "not started";
    const auto entry = entries().front();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !entry->isPending(); }, sendTimeout));
    EXPECT_EQ(rowStatus(*entry), RowStatus::failure);
    EXPECT_TRUE(entry->error().value_or("").ends_with(body)) << entry->error().value_or("no error");
  };
  const auto rowsSpanTheList = [&] {
    for (int row = 0; row < list.model()->rowCount(); ++row) {
      if (list.visualRect(list.model()->index(row, 0)).width() != list.viewport()->width()) return false;
    }
    return !list.horizontalScrollBar()->isVisible();
  };
  const auto scrolls = [&] { return list.verticalScrollBar()->isVisible(); };
  const int historyHeight = history().height();
  for (int sends = 1; sends <= 15 && !scrolls(); ++sends) {
    ASSERT_NO_FATAL_FAILURE(send());
    QTest::qWait(100);  // for the window to lay itself out anew, were there a cause
    EXPECT_EQ(history().height(), historyHeight) << sends << " sends";
    EXPECT_TRUE(QTest::qWaitFor(rowsSpanTheList, uiTimeout)) << sends << " sends";
  }
  ASSERT_TRUE(scrolls());
  // Taller until one more row fits without scrolling; that row is sent and
  // laid out before the window is made short again.
  const int height = window().height();
  const auto roomForOneMore = [&] {
    return list.viewport()->height() >= (list.model()->rowCount() + 1) * list.sizeHintForRow(0);
  };
  for (int taller = 40; taller <= 800 && !roomForOneMore(); taller += 40) {
    window().resize(window().width(), height + taller);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window().height() == height + taller; }, uiTimeout));
  }
  ASSERT_TRUE(roomForOneMore());
  ASSERT_NO_FATAL_FAILURE(send());
  QTest::qWait(200);  // for the list to lay the row out, as it does before a hand could resize the window
  ASSERT_FALSE(scrolls());
  window().resize(window().width(), height);
  ASSERT_TRUE(QTest::qWaitFor(scrolls, uiTimeout));
  EXPECT_TRUE(QTest::qWaitFor(rowsSpanTheList, uiTimeout)) << "after the window was made shorter";

  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(0, 0)).center());
  click(child(history(), "Response"));
  const auto toldWhy = [&] {
    for (const auto* label : history().detail().findChildren<QLabel*>()) {
      const bool whole = label->width() >= label->minimumSizeHint().width() &&
                         label->height() >= label->heightForWidth(label->width()) &&
                         label->visibleRegion() == QRegion(label->rect());
      if (label->isVisible() && label->text().startsWith("Status: 0 \u2014 Failed: URLRequest validation failed") &&
          label->text().endsWith(QString::fromStdString(body)) && whole) {
        return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(QTest::qWaitFor(toldWhy, uiTimeout));
  screenshot("refused-get-form-body");
}

TEST_F(SendAndInspectTest, RowsTypedBeforeTheAddressAreSentWithIt) {
  auto& url = child<QLineEdit>(editor(), "urlField");
  ASSERT_TRUE(url.text().isEmpty());
  for (const auto& [key, value] : {std::pair{"k1", "value1"}, {"k2", "value 2"}}) {
    typeInto(shownField(editor(), [](const QLineEdit& field) { return taggedField(&field) == EditorField::newKey(); }),
             key);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), value);
  }
  EXPECT_EQ(url.text(), "?k1=value1&k2=value%202");

  // The address goes in front of the query the rows wrote.
  click(url);
  QTest::keyClick(&url, Qt::Key_Home);
  QTest::keyClicks(&url, QString::fromStdString(testservers::HttpbinServer::shared().baseURL() + "/get"));
  click(child(editor(), "sendButton"));
  ASSERT_EQ(entries().size(), 1u) << "the send was not started";
  const auto entry = entries().front();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !entry->isPending(); }, sendTimeout));
  ASSERT_EQ(entry->statusCode(), 200) << entry->error().value_or("");
  EXPECT_EQ(jsonObject(entry->responseBody())["args"].toObject(), (QJsonObject{{"k1", "value1"}, {"k2", "value 2"}}));
  const auto& stored = app->content().controller().selectedTemplate();
  EXPECT_EQ(stored->queryParams().size(), 2u);
}

// Every tab title of the editor and of the history detail is drawn whole,
// beside the others, at the smallest size the window takes and at two
// small sizes, with an answer shown.
TEST_F(SendAndInspectTest, EveryTabTitleIsWholeInSmallWindows) {
  typeInto(child<QLineEdit>(editor(), "urlField"),
           QString::fromStdString(testservers::HttpbinServer::shared().baseURL() + "/get?a=1"));
  click(child(editor(), "sendButton"));
  ASSERT_EQ(entries().size(), 1u) << "the send was not started";
  const auto entry = entries().front();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !entry->isPending(); }, sendTimeout));
  auto& list = history().list().list();
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(0, 0)).center());
  ASSERT_TRUE(history().showsDetail());

  const QStringList editorTabs{"Params", "Headers", "Body", "Auth"};
  const QStringList historyTabs{"Response", "Headers", "Metrics", "cUrl", "Raw Request"};
  for (const auto& [name, asked] : {std::pair{"smallest", QSize(1, 1)}, {"640x420", QSize(640, 420)},
                                    {"900x600", QSize(900, 600)}}) {
    SCOPED_TRACE(name);
    const QSize expected = asked.expandedTo(window().minimumSize());
    window().resize(asked);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window().size() == expected; }, uiTimeout)) << window().size().width();
    QApplication::processEvents();
    screenshot(std::string("small-") + name);
    const std::pair<QWidget*, QStringList> bars[] = {{&editor(), editorTabs}, {&history().detail(), historyTabs}};
    for (const auto& [bar, titles] : bars) {
      QRect before;
      for (const auto& title : titles) {
        SCOPED_TRACE(title.toStdString());
        const auto& tab = child<QAbstractButton>(*bar, title);
        EXPECT_GE(tab.width(), tab.sizeHint().width());
        EXPECT_GE(tab.height(), tab.sizeHint().height());
        EXPECT_EQ(tab.visibleRegion(), QRegion(tab.rect()));
        const QRect place(tab.mapTo(&window(), QPoint(0, 0)), tab.size());
        EXPECT_FALSE(place.intersects(before));
        before = place;
      }
    }
  }
  click(child(history().detail(), "Headers"));
  screenshot("small-headers-tab");
}

// At 900 by 600 the divider between the editor and the history goes up
// until the editor has its 200 pixels, whatever page it shows: a page
// taller than that scrolls, and the tab titles stay whole.
TEST_F(SendAndInspectTest, AtNineHundredBySixHundredTheDividerGivesTheHistoryMostOfTheWindow) {
  typeInto(child<QLineEdit>(editor(), "urlField"),
           QString::fromStdString(testservers::HttpbinServer::shared().baseURL() + "/get?a=1&b=2"));
  click(child(editor(), "sendButton"));
  ASSERT_EQ(entries().size(), 1u) << "the send was not started";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !entries().front()->isPending(); }, sendTimeout));
  auto& list = history().list().list();
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(0, 0)).center());
  window().resize(900, 600);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window().size() == QSize(900, 600); }, uiTimeout));

  auto* divider = qobject_cast<QSplitter*>(editor().parentWidget());
  ASSERT_NE(divider, nullptr);
  for (const auto* page : {"Auth", "Body", "Headers", "Params"}) {
    SCOPED_TRACE(page);
    click(child(editor(), page));
    QWidget* handle = divider->handle(1);
    const QPoint grip = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip - QPoint(0, 600));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(0, 600));
    QApplication::processEvents();
    EXPECT_EQ(editor().height(), ContentView::editorMinimumHeight);
    EXPECT_GT(history().height(), window().height() / 2);
    const auto scrolls = [](const QScrollArea* area) {
      return area->isVisible() && area->verticalScrollBar()->maximum() > 0;
    };
    EXPECT_TRUE(std::ranges::any_of(editor().findChildren<QScrollArea*>(), scrolls)) << "the page is cut, not scrolled";
    for (const auto* title : {"Params", "Headers", "Body", "Auth"}) {
      const auto& tab = child<QAbstractButton>(editor(), title);
      EXPECT_GE(tab.width(), tab.sizeHint().width()) << title;
      EXPECT_EQ(tab.visibleRegion(), QRegion(tab.rect())) << title;
    }
  }
  screenshot("900x600-divider-dragged-up");
}

TEST_F(SendAndInspectTest, AnAnswerHoldingALongTokenIsColouredPastIt) {
  const std::string base = testservers::HttpbinServer::shared().baseURL();
  ASSERT_NO_FATAL_FAILURE(showAnswer(base + "/anything?t=" + std::string(2000, 'A') + "&z=1", "long-token-response"));
  // The rows just past the token, as a user scrolls there.
  response->verticalScrollBar()->setValue(response->verticalScrollBar()->maximum() / 2);
  screenshot("long-token-response-past-it");

  // The key after the token is styled as the one before it.
  const std::string& body = entry->responseBody();
  ASSERT_NE(body.find("\"z\""), std::string::npos) << body;
  EXPECT_NE(styleAt("\"t\""), -1);
  EXPECT_EQ(styleAt("\"z\""), styleAt("\"t\""));
}

TEST_F(SendAndInspectTest, ABase64ValueOfFortyKilobytesIsColouredAsAString) {
  // Base64 of a file mostly zero, as a bitmap is: one word of 40,000
  // characters in the answer's one line.
  const std::string data = std::string(40'000, 'A');
  const std::string answer = "{\"name\": \"image.bmp\", \"data\": \"Qk0" + data + "\", \"size\": 30000}";
  testservers::ScriptedHTTPServer server(
      [&](testservers::ScriptedConnection& connection, const testservers::ScriptedRequest&) {
        connection.send("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                        std::to_string(answer.size()) + "\r\n\r\n" + answer);
        return testservers::ScriptedNext::keepOpen;
      });
  ASSERT_NO_FATAL_FAILURE(showAnswer(server.baseURL() + "/image", "base64-40kb-response"));
  response->verticalScrollBar()->setValue(response->verticalScrollBar()->maximum());
  screenshot("base64-40kb-response-end");
  ASSERT_NE(styleAt("\"data\""), styleAt("\"Qk0"));
  EXPECT_EQ(styleAt(data), styleAt("\"Qk0"));
  EXPECT_EQ(styleAt(data.substr(0, 100) + "\""), styleAt("\"Qk0"));
  EXPECT_EQ(styleAt("\"size\""), styleAt("\"data\""));
}

}  // namespace
}  // namespace wendalore
