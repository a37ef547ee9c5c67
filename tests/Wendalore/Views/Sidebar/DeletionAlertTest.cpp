#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "Wendalore/Content/ContentController.h"
#include "Wendalore/Views/Sidebar/DeletionAlert.h"
#include "tests/Wendalore/Content/RequestTreeStore.h"

namespace wendalore {
namespace {

class DeletionAlertTest : public ::testing::Test, public RequestTreeStore {
 protected:
  QAbstractButton* button(QMessageBox* alert, const QString& title) {
    for (auto* candidate : alert->buttons()) {
      if (candidate->text().remove('&') == title) return candidate;
    }
    ADD_FAILURE() << "no button " << title.toStdString();
    return nullptr;
  }

  std::shared_ptr<RequestFolder> f = folder("f", 0);
  std::shared_ptr<RequestTemplate> r = request("r", 0, f);
  ContentController content{context};
};

TEST_F(DeletionAlertTest, OnlyDeleteDeletes) {
  EXPECT_EQ(presentDeletionAlert(content, nullptr), nullptr);  // nothing waits

  struct Case {
    FileSystemItem target;
    QString title;
    QString answer;
    std::string tree;
  };
  const Case cases[] = {
      {FileSystemItem(r), "Delete Request?", "Cancel", "f[r]"},
      {FileSystemItem(f), "Delete Folder?", "Cancel", "f[r]"},
      {FileSystemItem(r), "Delete Request?", "Delete", "f"},
      {FileSystemItem(f), "Delete Folder?", "Delete", ""},
  };
  for (const auto& test : cases) {
    content.requestDeletion(test.target);
    QPointer<QMessageBox> alert = presentDeletionAlert(content, nullptr);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), test.title);
    EXPECT_EQ(alert->buttonRole(button(alert, "Delete")), QMessageBox::DestructiveRole);
    QTest::mouseClick(button(alert, test.answer), Qt::LeftButton);
    EXPECT_FALSE(content.deletionTarget());
    EXPECT_EQ(describe(content.rootItems()), test.tree) << test.answer.toStdString();
    if (alert) alert->close();
  }
}

}  // namespace
}  // namespace wendalore
