#pragma once

#include <string_view>

namespace monacohost {

// How the editor's caret blinks.
enum class CursorBlink { blink, smooth, phase, expand, solid };

// The editor's name for the style, the case name itself.
constexpr std::string_view cursorBlinkName(CursorBlink style) {
  switch (style) {
    case CursorBlink::blink: return "blink";
    case CursorBlink::smooth: return "smooth";
    case CursorBlink::phase: return "phase";
    case CursorBlink::expand: return "expand";
    case CursorBlink::solid: return "solid";
  }
  return "blink";
}

}  // namespace monacohost
