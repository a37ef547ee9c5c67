#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>
#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <memory>
#include <optional>
#include <string>

// Asks a shown editor page questions from the test, waiting for the answers
// with the event loop running.
class PageSession {
 public:
  explicit PageSession(QWebEngineView& view) : view_(view) {}

  // An answer later than the wait still arrives: it lands in what the
  // callback owns, not in this call's finished frame.
  QVariant evaluate(const QString& script) {
    auto result = std::make_shared<std::optional<QVariant>>();
    view_.page()->runJavaScript(script, QWebEngineScript::MainWorld,
                                [result](const QVariant& value) { *result = value; });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, 10'000)) return {};
    return **result;
  }

  // The editor the page made, once it is there.
  bool waitForEditor() {
    return QTest::qWaitFor(
        [&] {
          return evaluate("typeof monaco === 'object' && monaco.editor.getEditors().length === 1").toBool();
        },
        60'000);
  }

  QVariant editorValue(const QString& expression) {
    return evaluate("(function (editor) { return " + expression + "; })(monaco.editor.getEditors()[0])");
  }

  // `text` as a script's string literal.
  static QString literal(const std::string& text) {
    const QByteArray array = QJsonDocument(QJsonArray{QString::fromStdString(text)}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
  }

 private:
  QWebEngineView& view_;
};
