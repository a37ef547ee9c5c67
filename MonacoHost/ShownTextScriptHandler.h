#pragma once

#include <QObject>
#include <QVariant>

namespace monacohost {

class MonacoViewController;

// Takes the page's answer to one of the controller's shown-text keys to the
// controller: `{key, text}`, the key's value as a number and the whole text
// as `updateText` carries it, or null while the page has no editor. Posted
// to `messageHandlers.shownText.postMessage`. Owned by its controller, as a
// child.
class ShownTextScriptHandler : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* name = "shownText";
  // The page takes a key whose value is one character of the last
  // private-use plane for the controller's, and answers it: no keyboard has
  // such a key, so keys a user presses neither are answered nor pass for
  // one that is. Each key waiting for its answer is another character.
  static constexpr char32_t firstAskKey = 0x100000;
  static constexpr char32_t askKeyCount = 0xFFFE;

  explicit ShownTextScriptHandler(MonacoViewController& parent);

  // Called by the page.
  Q_INVOKABLE void postMessage(const QVariant& body);

 private:
  MonacoViewController& parent_;
};

}  // namespace monacohost
