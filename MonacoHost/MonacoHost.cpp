#include "MonacoHost/MonacoHost.h"

#include <memory>

namespace monacohost {

MonacoHost MonacoHost::syntax(SyntaxHighlight syntax) const { return with(&MonacoHost::syntax_, std::move(syntax)); }
MonacoHost MonacoHost::minimap(bool shown) const { return with(&MonacoHost::minimap_, shown); }
MonacoHost MonacoHost::scrollbar(bool shown) const { return with(&MonacoHost::scrollbar_, shown); }
MonacoHost MonacoHost::smoothCursor(bool animated) const { return with(&MonacoHost::smoothCursor_, animated); }
MonacoHost MonacoHost::cursorBlink(CursorBlink style) const { return with(&MonacoHost::cursorBlink_, style); }
MonacoHost MonacoHost::fontSize(int size) const { return with(&MonacoHost::fontSize_, size); }
MonacoHost MonacoHost::theme(Theme theme) const { return with(&MonacoHost::theme_, theme); }

MonacoViewController* MonacoHost::makeViewController(QWidget* parent) const {
  auto* controller = new MonacoViewController(parent);
  controller->delegate = std::make_shared<MonacoHost>(*this);
  controller->loadView();
  controller->viewDidLoad();
  return controller;
}

std::string MonacoHost::readText(MonacoViewController&) const { return text_.get(); }
std::optional<SyntaxHighlight> MonacoHost::readSyntax(MonacoViewController&) const { return syntax_; }
bool MonacoHost::readMinimap(MonacoViewController&) const { return minimap_; }
bool MonacoHost::readScrollbar(MonacoViewController&) const { return scrollbar_; }
bool MonacoHost::readSmoothCursor(MonacoViewController&) const { return smoothCursor_; }
CursorBlink MonacoHost::readCursorBlink(MonacoViewController&) const { return cursorBlink_; }
int MonacoHost::readFontSize(MonacoViewController&) const { return fontSize_; }
std::optional<Theme> MonacoHost::readTheme(MonacoViewController&) const { return theme_; }
void MonacoHost::textChanged(MonacoViewController&, std::string text) { text_.set(std::move(text)); }

}  // namespace monacohost
