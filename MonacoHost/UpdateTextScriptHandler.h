#pragma once

#include <QObject>
#include <QVariant>
#include <string>

class QWebEnginePage;

namespace monacohost {

class MonacoViewController;

// Takes the editor's text from the page to the controller's delegate. The
// page posts the whole text, Base64 of its UTF-8 bytes, to
// `messageHandlers.updateText.postMessage`, which the handler offers the
// page over a web channel. Owned by its controller, as a child.
class UpdateTextScriptHandler : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* name = "updateText";

  explicit UpdateTextScriptHandler(MonacoViewController& parent);

  // Offers the handler, and the controller's ShownTextScriptHandler, to
  // every document `page` loads from now on.
  void install(QWebEnginePage& page);

  // Called by the page. A body that is not such a text is the page's fault
  // and stops the program.
  Q_INVOKABLE void postMessage(const QVariant& body);

 private:
  MonacoViewController& parent_;
};

// The text a message body carries; stops the program with "Unexpected
// message body" when it is not a string of Base64 over UTF-8.
std::string decodeTextMessage(const QVariant& body);

}  // namespace monacohost
