#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "Wendalore/Model/RequestTemplate.h"
#include "Wendalore/Views/Shell/WendaloreApp.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Platform/Store/FullDisk.h"
#include "tests/Wendalore/Views/Shell/ShownMessages.h"
#include "tests/Wendalore/Views/Shell/FakeUpdater.h"

namespace wendalore {
namespace {

class SaveFailureTest : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return scratch / "Wendalore" / "Wendalore.sqlite"; }
  std::unique_ptr<WendaloreApp> launch() {
    auto app = WendaloreApp::launch(platform::Bundle::make({}), std::make_shared<FakeUpdater>(false), file());
    if (!app) ADD_FAILURE() << app.error();
    return app ? std::move(*app) : nullptr;
  }
  std::vector<std::string> savedNames() {
    auto app = launch();
    const auto requests = app->window().modelContext()->fetch<RequestTemplate>();
    std::vector<std::string> names;
    if (!requests) return names;
    for (const auto& request : *requests) names.push_back(request->name());
    return names;
  }
  // Answers the question the next modal message asks with the button whose
  // text is `answer`, and keeps the question's text.
  void answerNextQuestion(const QString& answer) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [this, timer, answer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      question = box->text() + "\n" + box->informativeText();
      for (auto* button : box->buttons()) {
        if (button->text() == answer) button->click();
      }
      timer->deleteLater();
    });
    timer->start(10);
  }

  ScratchDirectory scratch;
  FullDisk disk;
  QString question;
};

TEST_F(SaveFailureTest, AFailedSaveIsShownWithTheStoreAndWhyAndTheEditsAreSavedLater) {
  {
    auto app = launch();
    ASSERT_NE(app, nullptr);
    app->window().show();
    const auto& context = app->window().modelContext();
    disk.setFull(true);
    context->insert(RequestTemplate::make("Typed while the disk was full", "", "GET", nullptr, 0));
    EXPECT_FALSE(context->save());

    auto* message = app->saveFailures().message();
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->isVisible());
    EXPECT_FALSE(message->isModal());
    EXPECT_TRUE(message->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(message->text().contains(QString::fromStdString(file().string()))) << message->text().toStdString();
    EXPECT_TRUE(message->informativeText().contains("database or disk is full"))
        << message->informativeText().toStdString();

    // A second failure updates the one message.
    EXPECT_FALSE(context->save());
    EXPECT_EQ(app->saveFailures().message(), message);

    disk.setFull(false);
    EXPECT_TRUE(context->save());
  }
  EXPECT_EQ(savedNames(), std::vector<std::string>{"Typed while the disk was full"});
}

TEST_F(SaveFailureTest, ADismissedMessageStaysAwayWhileSavesFailAndComesBackAfterOneSucceeded) {
  {
    auto app = launch();
    ASSERT_NE(app, nullptr);
    app->window().show();
    const auto& context = app->window().modelContext();
    disk.setFull(true);
    context->insert(RequestTemplate::make("First", "", "GET", nullptr, 0));
    EXPECT_FALSE(context->save());
    ASSERT_EQ(shownMessages().size(), 1U);
    shownMessages().front()->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(shownMessages().empty());

    // The user goes on typing; every save fails, and nothing is shown again.
    for (const auto* name : {"Second", "Third"}) {
      context->insert(RequestTemplate::make(name, "", "GET", nullptr, 0));
      EXPECT_FALSE(context->save());
      QCoreApplication::processEvents();
      EXPECT_TRUE(shownMessages().empty()) << name;
    }

    // A save that works takes back what an open message said.
    disk.setFull(false);
    EXPECT_TRUE(context->save());
    disk.setFull(true);
    context->insert(RequestTemplate::make("Fourth", "", "GET", nullptr, 0));
    EXPECT_FALSE(context->save());
    ASSERT_EQ(shownMessages().size(), 1U);
    disk.setFull(false);
    EXPECT_TRUE(context->save());
    QCoreApplication::processEvents();
    EXPECT_TRUE(shownMessages().empty());

    // And the next failure is told anew.
    disk.setFull(true);
    context->insert(RequestTemplate::make("Fifth", "", "GET", nullptr, 0));
    EXPECT_FALSE(context->save());
    EXPECT_EQ(shownMessages().size(), 1U);
    disk.setFull(false);
    EXPECT_TRUE(context->save());
  }
  EXPECT_EQ(savedNames(), (std::vector<std::string>{"First", "Second", "Third", "Fourth", "Fifth"}));
}

TEST_F(SaveFailureTest, QuitAfterAFailedSaveAsksBeforeLosingTheEdits) {
  auto app = launch();
  ASSERT_NE(app, nullptr);
  app->window().show();
  const auto& context = app->window().modelContext();
  context->insert(RequestTemplate::make("Unsaved", "", "GET", nullptr, 0));
  disk.setFull(true);

  answerNextQuestion("Cancel");
  EXPECT_FALSE(app->saveFailures().confirmQuit());
  EXPECT_TRUE(question.contains(QString::fromStdString(file().string()))) << question.toStdString();
  EXPECT_TRUE(question.contains("database or disk is full")) << question.toStdString();
  EXPECT_TRUE(question.contains("lost")) << question.toStdString();

  // Still running, the edits are saved once the disk has room.
  disk.setFull(false);
  EXPECT_TRUE(context->save());
  context->insert(RequestTemplate::make("Never saved", "", "GET", nullptr, 0));
  disk.setFull(true);
  answerNextQuestion("Quit and Lose Changes");
  EXPECT_TRUE(app->saveFailures().confirmQuit());

  // With nothing failing, Quit asks nothing.
  disk.setFull(false);
  question.clear();
  EXPECT_TRUE(app->saveFailures().confirmQuit());
  EXPECT_TRUE(question.isEmpty());
}

}  // namespace
}  // namespace wendalore
