#pragma once

#include <QObject>
#include <QVariant>

namespace monacohost {

class MonacoViewController;

// Takes the page's answer to the controller's shown-text key to the
// controller: the whole text as `updateText` carries it, or null while the
// page has no editor. Posted to `messageHandlers.shownText.postMessage`.
// Owned by its controller, as a child.
class ShownTextScriptHandler : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* name = "shownText";

  explicit ShownTextScriptHandler(MonacoViewController& parent);

  // Called by the page.
  Q_INVOKABLE void postMessage(const QVariant& body);

 private:
  MonacoViewController& parent_;
};

}  // namespace monacohost
