#include <gtest/gtest.h>
#include <signal.h>

#include <QTest>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>
#include <optional>
#include <string>

#include "MonacoHost/Loading/CodeEditorLibrary.h"
#include "tests/MonacoHost/PageSession.h"

using monacohost::CodeEditorLibrary;
using monacohost::ReadySyntax;

namespace {

TEST(CodeEditorLibrary, ALibraryThatIsNotThereIsReportedWithItsPath) {
  CodeEditorLibrary missing("/nonexistent/wendalore-code-editor.so");
  const auto factory = missing.factory();
  ASSERT_FALSE(factory);
  EXPECT_TRUE(factory.error().startsWith("/nonexistent/wendalore-code-editor.so: ")) << factory.error().toStdString();
  EXPECT_EQ(missing.factory().error(), factory.error()) << "the first answer is kept";
}

// The library beside this program makes working editors, and tells when an
// editor's page process has gone.
TEST(CodeEditorLibrary, ItsEditorShowsTheTextAndReportsItsPageProcessEnding) {
  const auto factory = CodeEditorLibrary::shared().factory();
  ASSERT_TRUE(factory) << factory.error().toStdString();

  std::string text = "{\"shown\": true}";
  std::optional<QString> failure;
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  QWidget* editor = (*factory)->makeEditor(
      {.text = {[&] { return text; }, [&](std::string changed) { text = std::move(changed); }},
       .syntax = ReadySyntax::swift,
       .fontSize = 11,
       .failed = [&](const QString& reason) { failure = reason; }},
      &window).view;
  layout->addWidget(editor);
  window.resize(700, 400);
  window.show();
  auto* view = editor->findChild<QWebEngineView*>();
  ASSERT_NE(view, nullptr);
  PageSession page(*view);
  ASSERT_TRUE(page.waitForEditor());
  EXPECT_EQ(page.editorValue("editor.getValue()").toString().toStdString(), text);
  EXPECT_FALSE(failure);

  const auto pagePid = view->page()->renderProcessPid();
  ASSERT_GT(pagePid, 0);
  ASSERT_EQ(kill(static_cast<pid_t>(pagePid), SIGKILL), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return failure.has_value(); }, 30'000));
  EXPECT_FALSE(failure->isEmpty());
  EXPECT_EQ(text, "{\"shown\": true}") << "the text stays as it was";
}

}  // namespace
