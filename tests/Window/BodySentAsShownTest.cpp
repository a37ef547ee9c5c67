#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QWebEngineView>
#include <functional>
#include <memory>
#include <string>

#include "tests/EditorLoading/BodyEditorDriver.h"
#include "tests/MonacoHost/PageSession.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Window/ShownWindow.h"
#include "tests/servers/HttpbinServer.h"

namespace wendalore {
namespace {

constexpr int uiTimeout = 10'000;
constexpr int sendTimeout = 30'000;

// A JSON POST to httpbin's echo in the whole window, its body editor shown
// and holding the keyboard. Each round replaces the body and sends with no
// pause after the last key, as fast hands do.
class BodySentAsShownTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app = launchWithNewRequest(scratch / "Wendalore.sqlite", uiTimeout);
    ASSERT_NE(app, nullptr);
    request = app->content().controller().selectedTemplate();
    request->setURL(testservers::HttpbinServer::shared().baseURL() + "/anything");
    request->setMethod("POST");
    auto* webView = qobject_cast<QWebEngineView*>(bodyeditor::showJSONBody(window()));
    ASSERT_NE(webView, nullptr);
    page = std::make_unique<PageSession>(*webView);
    ASSERT_TRUE(page->waitForEditor());
    input = webView->focusProxy();
  }

  // A click into the editor, as after a click on Send; whether it took
  // the keyboard.
  bool focusEditor() {
    QTest::mouseClick(input, Qt::LeftButton, {}, input->rect().center());
    if (!QTest::qWaitFor([&] { return page->editorValue("editor.hasTextFocus()").toBool(); }, uiTimeout)) return false;
    // Without a window manager the web view's own native window takes the
    // display's focus from the window; a user's click would give it back.
    window().activateWindow();
    return QTest::qWaitForWindowActive(&window());
  }

  MainWindow& window() const { return app->window(); }
  const std::vector<std::shared_ptr<RequestHistoryItem>>& entries() const {
    return window().viewModel()->requestHistory();
  }

  // Replaces the body by what `edit` puts in the editor, sends at once by
  // `send`, and waits for the echo: the body that went out, or a note of
  // why there is none.
  std::string sendRightAfter(const std::function<void()>& edit, const std::function<void()>& send) {
    const std::size_t sent = entries().size();
    if (!focusEditor()) return "(the editor took no keys)";
    QTest::keyClick(input, Qt::Key_A, Qt::ControlModifier);
    edit();
    send();
    if (!QTest::qWaitFor([&] { return entries().size() == sent + 1 && !entries().front()->isPending(); },
                         sendTimeout)) {
      return "(no answer)";
    }
    const auto& entry = *entries().front();
    const auto echo = QJsonDocument::fromJson(QByteArray::fromStdString(entry.responseBody())).object();
    if (entry.requestBody().value_or("") != echo["data"].toString().toStdString()) return "(recorded otherwise)";
    return entry.requestBody().value_or("");
  }

  std::function<void()> paste(const std::string& text) const {
    return [this, text] {
      QApplication::clipboard()->setText(QString::fromStdString(text));
      QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    };
  }
  std::function<void()> type(const std::string& text) const {
    return [this, text] { QTest::keyClicks(input, QString::fromStdString(text)); };
  }
  std::function<void()> pressCtrlReturn() const {
    return [this] { QTest::keyClick(input, Qt::Key_Return, Qt::ControlModifier); };
  }
  std::function<void()> clickSend() const {
    return [this] {
      auto* button = window().findChild<QWidget*>("sendButton");
      QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    };
  }

  ScratchDirectory scratch;
  std::unique_ptr<WendaloreApp> app;
  std::shared_ptr<RequestTemplate> request;
  std::unique_ptr<PageSession> page;
  QWidget* input = nullptr;
};

TEST_F(BodySentAsShownTest, PastedTextIsSentByTheShortcutAndTheButtonPressedAtOnce) {
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(round);
    const std::string text = "{\"round\": " + std::to_string(round) + ",\n  \"text\": \"pasted ✓ ünïcode\"}";
    EXPECT_EQ(sendRightAfter(paste(text), round % 2 ? clickSend() : pressCtrlReturn()), text);
  }
  EXPECT_EQ(entries().size(), 8u) << "one send for each press";
}

TEST_F(BodySentAsShownTest, TheLastTypedCharacterIsSentByTheShortcutAndTheButtonPressedAtOnce) {
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    const std::string text = "typed " + std::to_string(round * 7919);
    EXPECT_EQ(sendRightAfter(type(text), round % 2 ? clickSend() : pressCtrlReturn()), text);
  }
  EXPECT_EQ(entries().size(), 12u) << "one send for each press";
}

}  // namespace
}  // namespace wendalore
