#pragma once

#include <optional>
#include <string>

#include "MonacoHost/CursorBlink.h"
#include "MonacoHost/SyntaxHighlight.h"
#include "MonacoHost/Theme.h"

namespace monacohost {

class MonacoViewController;

// Gives the editor its text and options when it is created, and takes the
// text the user has typed.
class MonacoViewControllerDelegate {
 public:
  virtual ~MonacoViewControllerDelegate() = default;

  virtual std::string readText(MonacoViewController& controller) const = 0;
  virtual std::optional<SyntaxHighlight> readSyntax(MonacoViewController& controller) const = 0;
  virtual bool readMinimap(MonacoViewController& controller) const = 0;
  virtual bool readScrollbar(MonacoViewController& controller) const = 0;
  virtual bool readSmoothCursor(MonacoViewController& controller) const = 0;
  virtual CursorBlink readCursorBlink(MonacoViewController& controller) const = 0;
  virtual int readFontSize(MonacoViewController& controller) const = 0;
  // Absent: follow the system's appearance.
  virtual std::optional<Theme> readTheme(MonacoViewController& controller) const = 0;
  // The editor's whole text after each change.
  virtual void textChanged(MonacoViewController& controller, std::string text) = 0;
};

}  // namespace monacohost
