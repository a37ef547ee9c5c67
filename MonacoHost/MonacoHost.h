#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "MonacoHost/MonacoViewController.h"
#include "MonacoHost/MonacoViewControllerDelegate.h"
#include "MonacoHost/TextBinding.h"

namespace monacohost {

// The code editor over a bound text, with its options. A value: the option
// modifiers return changed copies, and each editor made from it keeps its
// own copy as the controller's delegate.
//
// Text goes into the editor only when the editor is created (the bound
// text of that moment) and comes out at every change typed in it; a change
// of the bound text made elsewhere does not reach a shown editor.
class MonacoHost final : public MonacoViewControllerDelegate {
 public:
  using Theme = monacohost::Theme;

  explicit MonacoHost(TextBinding text) : text_(std::move(text)) {}

  MonacoHost syntax(SyntaxHighlight syntax) const;
  MonacoHost minimap(bool shown) const;
  MonacoHost scrollbar(bool shown) const;
  MonacoHost smoothCursor(bool animated) const;
  MonacoHost cursorBlink(CursorBlink style) const;
  MonacoHost fontSize(int size) const;
  // Fixes the theme the editor starts with; the next change of the system's
  // appearance replaces it.
  MonacoHost theme(Theme theme) const;

  // A new editor for one place in a window, owned by `parent`; its page
  // starts loading at once.
  MonacoViewController* makeViewController(QWidget* parent = nullptr) const;

  std::string readText(MonacoViewController& controller) const override;
  std::optional<SyntaxHighlight> readSyntax(MonacoViewController& controller) const override;
  bool readMinimap(MonacoViewController& controller) const override;
  bool readScrollbar(MonacoViewController& controller) const override;
  bool readSmoothCursor(MonacoViewController& controller) const override;
  CursorBlink readCursorBlink(MonacoViewController& controller) const override;
  int readFontSize(MonacoViewController& controller) const override;
  std::optional<Theme> readTheme(MonacoViewController& controller) const override;
  void textChanged(MonacoViewController& controller, std::string text) override;

 private:
  template <typename Field, typename Value>
  MonacoHost with(Field MonacoHost::*field, Value value) const {
    MonacoHost copy = *this;
    copy.*field = std::move(value);
    return copy;
  }

  TextBinding text_;
  std::optional<SyntaxHighlight> syntax_;
  bool minimap_ = true;
  bool scrollbar_ = true;
  bool smoothCursor_ = false;
  CursorBlink cursorBlink_ = CursorBlink::blink;
  int fontSize_ = 12;
  std::optional<Theme> theme_;
};

}  // namespace monacohost
