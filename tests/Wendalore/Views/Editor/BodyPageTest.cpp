#include "Wendalore/Views/Editor/BodyPage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Model/RequestFolder.h"
#include "tests/Platform/ScratchDirectory.h"

namespace wendalore {
namespace {

TEST(BodyPage, WithoutItsCodeEditorLibraryTheBodyIsEditedAsPlainTextUnderANotice) {
  ScratchDirectory scratch;
  auto container = platform::ModelContainer::open(platform::Schema::of<RequestTemplate, RequestFolder>(),
                                                  scratch / "s.sqlite");
  ASSERT_TRUE(container);
  auto request = RequestTemplate::make("Create", "https://h.test/users", "POST", nullptr, 0);
  (*container)->mainContext()->insert(request);
  request->setBodyType(RequestBodyType::json);
  request->setBody("{\"name\": \"ä\"}");
  auto editor = RequestEditor::make(request, RequestViewModel::make(), (*container)->mainContext(), [] {});
  monacohost::CodeEditorLibrary missing(QString::fromStdString((scratch / "missing-code-editor.so").string()));

  BodyPage page(editor, nullptr, missing);
  page.resize(600, 400);
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  auto* text = page.findChild<QPlainTextEdit*>("plainBodyEditor");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(page.codeEditor(), text->parentWidget());
  EXPECT_EQ(text->toPlainText().toStdString(), "{\"name\": \"ä\"}");
  auto* notice = page.findChild<QLabel*>("bodyEditorNotice");
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(notice->isVisible());
  EXPECT_TRUE(notice->text().contains("missing-code-editor.so")) << notice->text().toStdString();
  EXPECT_LT(page.minimumSizeHint().width(), 600) << "a long notice must not widen the window";

  text->setFocus();
  text->moveCursor(QTextCursor::End);
  QTest::keyClicks(text, " ");
  QTest::keyClick(text, Qt::Key_Backspace);
  QTest::keyClick(text, Qt::Key_Return);
  EXPECT_EQ(request->body(), "{\"name\": \"ä\"}\n");

  // Another kind of text body is edited the same way, with what was typed.
  request->setBodyType(RequestBodyType::rawText);
  page.refresh();
  ASSERT_TRUE(QTest::qWaitFor([&] { return page.findChildren<QPlainTextEdit*>().size() == 1; }));
  EXPECT_EQ(page.findChild<QPlainTextEdit*>("plainBodyEditor")->toPlainText().toStdString(), "{\"name\": \"ä\"}\n");
}

}  // namespace
}  // namespace wendalore
