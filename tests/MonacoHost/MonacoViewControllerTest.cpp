#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPalette>
#include <QTest>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "MonacoHost/MonacoHost.h"
#include "MonacoHost/ShownTextScriptHandler.h"
#include "tests/MonacoHost/PageSession.h"
#include "tests/Platform/ScratchDirectory.h"

using monacohost::MonacoHost;
using monacohost::MonacoViewController;
using monacohost::SyntaxHighlight;
using monacohost::TextBinding;
using monacohost::Theme;

namespace {

// A window holding one editor over `text`.
struct EditorWindow {
  std::string text;
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  MonacoViewController* controller = nullptr;

  EditorWindow(std::string initialText, const std::function<MonacoHost(MonacoHost)>& configure)
      : text(std::move(initialText)) {
    const MonacoHost host = configure(MonacoHost(TextBinding{[this] { return text; },
                                                             [this](std::string changed) { text = std::move(changed); }}));
    auto* layout = new QVBoxLayout(window.get());
    controller = host.makeViewController(window.get());
    layout->addWidget(controller);
    window->resize(900, 600);
    window->show();
  }

  PageSession page() { return PageSession(*controller->webView()); }

  // The alert the controller put up, taken down again.
  QString takeAlert() {
    QMessageBox* alert = nullptr;
    if (!QTest::qWaitFor([&] { return (alert = controller->findChild<QMessageBox*>()) != nullptr; }, 10'000)) {
      return {};
    }
    EXPECT_EQ(alert->text(), "Error");
    EXPECT_EQ(alert->icon(), QMessageBox::Critical);
    QString informative = alert->informativeText();
    delete alert;
    return informative;
  }
};

const std::string awkwardJSON =
    "{\n"
    "  \"quote\": \"say \\\"hi\\\"\",\n"
    "  'single': 'it''s',\n"
    "  \"path\": \"C:\\\\Temp\\\\new\",\n"
    "  \"tab\":\t\"\\n\",\n"
    "  \"text\": \"na\xC3\xAFve \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80 </script>\"\r\n"
    "}\n";

}  // namespace

TEST(MonacoViewController, TextTravelsBothWaysUnchangedWithTheOptionsGiven) {
  EditorWindow editor(awkwardJSON, [](MonacoHost host) {
    return host.syntax(SyntaxHighlight::swift()).fontSize(11).minimap(false).cursorBlink(monacohost::CursorBlink::solid);
  });
  auto page = editor.page();
  ASSERT_TRUE(page.waitForEditor());

  // Monaco keeps the first line ending for the whole text, so compare with
  // CRLF made LF.
  std::string expected = awkwardJSON;
  expected.replace(expected.find("\r\n"), 2, "\n");
  EXPECT_EQ(page.editorValue("editor.getValue()").toString().toStdString(), expected);

  EXPECT_EQ(page.editorValue("editor.getModel().getLanguageId()").toString(), "mySpecialLanguage");
  EXPECT_EQ(page.editorValue("editor.getOption(monaco.editor.EditorOption.fontSize)").toInt(), 11);
  EXPECT_EQ(page.editorValue("editor.getOption(monaco.editor.EditorOption.minimap).enabled").toBool(), false);
  EXPECT_EQ(page.editorValue("editor.getOption(monaco.editor.EditorOption.cursorBlinking)").toInt(), 5)
      << "solid blinking";
  // The definition colours the text: its tokens carry its postfix.
  EXPECT_TRUE(page.evaluate("JSON.stringify(monaco.editor.tokenize('let x = 1', 'mySpecialLanguage'))")
                  .toString()
                  .contains(".swift"));
  EXPECT_TRUE(page.evaluate("document.querySelector('.monaco-editor').classList.contains('vs')").toBool());
  EXPECT_EQ(editor.text, awkwardJSON) << "creating the editor writes nothing back";

  // Keys typed at the end of the text reach the binding.
  page.editorValue("(editor.setPosition(editor.getModel().getFullModelRange().getEndPosition()), editor.focus())");
  QTest::keyClicks(editor.controller->webView()->focusProxy(), "typed");
  EXPECT_TRUE(QTest::qWaitFor([&] { return editor.text == expected + "typed"; }, 10'000)) << editor.text;

  // Every character survives the way back, whatever the page holds.
  const std::string replaced = "\"\\\n\xC3\xA9\xF0\x9F\x98\x80\t'`${x}\x01";
  page.editorValue("editor.getModel().setValue(" + PageSession::literal(replaced) + ")");
  EXPECT_TRUE(QTest::qWaitFor([&] { return editor.text == replaced; }, 10'000)) << editor.text;
  const std::string large(300'000, 'x');
  page.editorValue("editor.getModel().setValue(" + PageSession::literal(large) + ")");
  EXPECT_TRUE(QTest::qWaitFor([&] { return editor.text == large; }, 10'000)) << editor.text.size();

  // A reloaded page gets a new editor over the bound text of that moment,
  // and its changes still come back.
  editor.text = "[\"reloaded\"]";
  editor.controller->webView()->reload();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return page.evaluate("window.monaco && monaco.editor.getEditors().length === 1 && monaco.editor.getEditors()[0].getValue()").toString() == "[\"reloaded\"]"; },
      60'000));
  page.editorValue("editor.getModel().setValue('[]')");
  EXPECT_TRUE(QTest::qWaitFor([&] { return editor.text == "[]"; }, 10'000)) << editor.text;
}

// Asked right after keys, the editor writes the text they made, although
// their changes are still on their way; once per asking, in order.
TEST(MonacoViewController, TheShownTextIsWrittenBehindTheKeysTypedBeforeTheAsking) {
  EditorWindow editor("start", [](MonacoHost host) { return host; });
  std::vector<std::string> written;
  const auto record = [&] { written.push_back(editor.text); };
  editor.controller->writeShownText(record);
  EXPECT_EQ(written, std::vector<std::string>{"start"}) << "before the page has loaded, nothing typed is on its way";

  auto page = editor.page();
  ASSERT_TRUE(page.waitForEditor());
  page.editorValue("(editor.setPosition(editor.getModel().getFullModelRange().getEndPosition()), editor.focus())");
  QWidget* input = editor.controller->webView()->focusProxy();
  QApplication::clipboard()->setText(" pasted\n");
  QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
  editor.controller->writeShownText(record);
  QTest::keyClicks(input, "typed");
  editor.controller->writeShownText(record);
  ASSERT_TRUE(QTest::qWaitFor([&] { return written.size() == 3; }, 10'000));
  EXPECT_EQ(written, (std::vector<std::string>{"start", "start pasted\n", "start pasted\ntyped"}));
  // The key the page answered never reached the editor.
  EXPECT_EQ(page.editorValue("editor.getValue()").toString().toStdString(), "start pasted\ntyped");
}

// A user's F24 is an ordinary key: the editor's listeners see it, and asks
// right behind it, after more typing, are each answered with the text the
// editor shows by then. So is a key a key map gives a character of the
// plane the host takes its keys from, the very one of the ask behind it too
// (the page types no character beyond the first plane from a key).
TEST(MonacoViewController, AUserF24OrPrivateUseKeyNeitherAnswersAnAskNorIsHidden) {
  EditorWindow editor("base", [](MonacoHost host) { return host; });
  auto page = editor.page();
  ASSERT_TRUE(page.waitForEditor());
  page.editorValue("(editor.setPosition(editor.getModel().getFullModelRange().getEndPosition()), editor.focus())");
  page.evaluate("window.seen = 0; window.addEventListener('keydown', e => {"
                " if (e.key === 'F24' || e.key.codePointAt(0) >= 0x100000) ++seen; })");
  QWidget* input = editor.controller->webView()->focusProxy();
  std::vector<std::string> written, expected;
  for (int round = 0; round < 6; ++round) {
    QTest::keyClick(input, Qt::Key_F24);
    const char32_t mapped = monacohost::ShownTextScriptHandler::firstAskKey + round;
    for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent key(type, static_cast<int>(mapped), Qt::NoModifier, 38, 0x1000000 + mapped, 0,
                    QString::fromUcs4(&mapped, 1));
      QCoreApplication::sendEvent(input, &key);
    }
    const std::string typed = std::to_string(round) + "xyz";
    QTest::keyClicks(input, QString::fromStdString(typed));
    expected.push_back((expected.empty() ? "base" : expected.back()) + typed);
    editor.controller->writeShownText([&] { written.push_back(editor.text); });
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return written.size() == expected.size(); }, 10'000)) << written.size();
  QTest::qWait(200);
  EXPECT_EQ(written, expected);
  EXPECT_EQ(page.evaluate("seen").toInt(), 12);
}

// An editor closed while it was asked for its text, its page gone with it,
// still answers: with the text it had written, as one already gone does.
TEST(MonacoViewController, AnEditorClosedWhileAskedForItsTextStillAnswers) {
  EditorWindow editor("start", [](MonacoHost host) { return host; });
  ASSERT_TRUE(editor.page().waitForEditor());
  bool written = false;
  editor.controller->writeShownText([&] { written = true; });
  delete editor.controller;
  EXPECT_FALSE(written) << "not from inside the closing";
  EXPECT_TRUE(QTest::qWaitFor([&] { return written; }, 5'000));
}

TEST(MonacoViewController, FixedThemeGivesWayToTheSystemAppearanceAndFailuresAreReported) {
  const QPalette original = QApplication::palette();
  EditorWindow editor("", [](MonacoHost host) { return host.theme(Theme::dark); });
  auto page = editor.page();
  ASSERT_TRUE(page.waitForEditor());
  const auto editorIsDark = [&] {
    return page.evaluate("document.querySelector('.monaco-editor').classList.contains('vs-dark')").toBool();
  };
  EXPECT_TRUE(editorIsDark());
  EXPECT_EQ(page.editorValue("editor.getValue()").toString(), "");
  EXPECT_EQ(page.editorValue("editor.getModel().getLanguageId()").toString(), "plaintext");

  // The system turns light, then dark: the editor follows both times.
  QPalette light = original;
  light.setColor(QPalette::Window, Qt::white);
  light.setColor(QPalette::WindowText, Qt::black);
  QApplication::setPalette(light);
  EXPECT_EQ(MonacoViewController::detectTheme(), "vs");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !editorIsDark(); }, 10'000));
  QPalette dark = light;
  dark.setColor(QPalette::Window, QColor(30, 30, 30));
  dark.setColor(QPalette::WindowText, Qt::white);
  QApplication::setPalette(dark);
  EXPECT_EQ(MonacoViewController::detectTheme(), "vs-dark");
  EXPECT_TRUE(QTest::qWaitFor(editorIsDark, 10'000));
  QApplication::setPalette(original);

  // Creating the editor again replaces it, silently.
  editor.controller->createEditor();
  page.evaluate("0");
  EXPECT_EQ(page.evaluate("monaco.editor.getEditors().length").toInt(), 1);
  EXPECT_EQ(editor.controller->findChild<QMessageBox*>(), nullptr);

  // A definition that is not valid script fails the creation, and the
  // alert shows the whole script.
  ScratchDirectory scratch;
  MonacoHost broken = MonacoHost(TextBinding{[] { return std::string(); }, [](std::string) {}})
                                .syntax(SyntaxHighlight("Broken", scratch.write("broken.js", "return {")));
  editor.controller->delegate = std::make_shared<MonacoHost>(broken);
  editor.controller->createEditor();
  const QString failure = editor.takeAlert();
  EXPECT_TRUE(failure.startsWith("Something went wrong while evaluating SyntaxError")) << failure.toStdString();
  monacohost::EditorOptions options;
  options.syntax = broken.readSyntax(*editor.controller);
  EXPECT_TRUE(failure.endsWith(": " + QString::fromStdString(monacohost::editorCreationScript(options))))
      << failure.toStdString();

  // A page that cannot be loaded says so and creates no editor.
  editor.controller->webView()->load(QUrl::fromLocalFile("/nonexistent/index.html"));
  const QString loadFailure = editor.takeAlert();
  EXPECT_TRUE(loadFailure.startsWith("The editor page could not be loaded: file:///nonexistent/index.html"))
      << loadFailure.toStdString();
}
