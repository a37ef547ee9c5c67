#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "Platform/Store/ModelContext.h"
#include "Platform/Store/ObserverList.h"
#include "Wendalore/Editor/RequestEditor.h"

class QLineEdit;
class QStackedWidget;
class QToolButton;


namespace wendalore {

class AuthPage;
template <class Button>
class CapsuleButton;
class BodyPage;
class ModernTabBar;
class RowListPage;

// The editor of one stored request: name, URL bar (method menu, URL, Send
// and Ctrl+Return), the tab strip and the Params, Headers, Body and Auth
// pages, all writing straight into the template through RequestEditor.
// Coming on screen brings the parameter rows in step with the URL; going
// away saves. The main window makes one per selected request.
class RequestEditorView : public QWidget {
 public:
  using Field = EditorField;

  RequestEditorView(std::shared_ptr<RequestTemplate> request, std::shared_ptr<RequestViewModel> viewModel,
                    std::shared_ptr<platform::ModelContext> modelContext, std::function<void()> onUpdate,
                    QWidget* parent = nullptr);
  ~RequestEditorView() override;

  const std::shared_ptr<RequestEditor>& editor() const { return editor_; }
  BodyPage* bodyPage() const { return body_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* makeURLBar();
  RowListPage* makeParamsPage();
  RowListPage* makeHeadersPage();
  void templateChanged(std::string_view field);
  void showMethod();
  void showTab(EditorTab tab);
  void refreshBadges();
  // Moves the keyboard into the field the editor's focus names.
  void followEditorFocus();
  void keyboardFocusChanged(QWidget* now);

  std::shared_ptr<RequestEditor> editor_;
  QLineEdit* name_;
  CapsuleButton<QToolButton>* method_;
  QLineEdit* url_;
  ModernTabBar* tabBar_;
  QStackedWidget* pages_;
  RowListPage* params_;
  RowListPage* headers_;
  BodyPage* body_;
  AuthPage* auth_;
  platform::ObservationToken templateObservation_;
  platform::ObservationToken focusObservation_;
  QMetaObject::Connection focusConnection_;
};

}  // namespace wendalore
