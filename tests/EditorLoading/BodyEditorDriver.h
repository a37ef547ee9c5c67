#pragma once

#include <QComboBox>
#include <QTest>
#include <QWidget>
#include <memory>

#include "Wendalore/Model/RequestTemplate.h"

// Drives the body editor of a shown window as a user would, without the web
// engine's headers: the program itself does not link the engine.
namespace bodyeditor {

constexpr int uiTimeout = 10'000;
constexpr int engineTimeout = 60'000;

// The shown body editor, code editor or plain stand-in.
inline QWidget* shownBodyEditor(const QWidget& window) {
  // An editor of a body type passed on the way is hidden and goes later.
  for (auto* editor : window.findChildren<QWidget*>("bodyEditor")) {
    if (editor->isVisible()) return editor;
  }
  return nullptr;
}

inline QWidget* webViewIn(const QWidget& editor) {
  for (auto* child : editor.findChildren<QWidget*>()) {
    if (child->inherits("QWebEngineView")) return child;
  }
  return nullptr;
}

// Opens the Body tab and picks JSON with the keyboard; the web view of the
// code editor then shown, or null when none came.
inline QWidget* showJSONBody(QWidget& window) {
  auto* bodyTab = window.findChild<QWidget*>("Body");
  auto* picker = window.findChild<QComboBox*>("bodyTypePicker");
  if (!bodyTab || !picker) return nullptr;
  QTest::mouseClick(bodyTab, Qt::LeftButton, {}, bodyTab->rect().center());
  picker->setFocus();
  while (picker->currentText() != "JSON" && picker->currentIndex() + 1 < picker->count()) {
    QTest::keyClick(picker, Qt::Key_Down);
  }
  QWidget* webView = nullptr;
  const bool shown = QTest::qWaitFor(
      [&] {
        const auto* editor = shownBodyEditor(window);
        webView = editor ? webViewIn(*editor) : nullptr;
        return webView != nullptr;
      },
      uiTimeout);
  return shown ? webView : nullptr;
}

// Types `key` into the editor until its page has made the editor and the
// typing reaches the request's body; false when it never does.
inline bool typeOnceReady(QWidget& webView, const std::shared_ptr<wendalore::RequestTemplate>& request, char key) {
  return QTest::qWaitFor(
      [&] {
        auto* input = webView.focusProxy();
        if (!input) return false;
        QTest::mouseClick(input, Qt::LeftButton, {}, input->rect().center());
        QTest::keyClicks(input, QString(QChar(key)));
        return QTest::qWaitFor([&] { return !request->body().empty(); }, 1'000);
      },
      engineTimeout);
}

}  // namespace bodyeditor
