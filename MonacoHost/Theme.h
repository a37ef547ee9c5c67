#pragma once

#include <string_view>

namespace monacohost {

// The code editor's colour scheme (not the highlighter's themes).
enum class Theme { light, dark };

// The editor's name for the scheme.
constexpr std::string_view themeName(Theme theme) { return theme == Theme::dark ? "vs-dark" : "vs"; }

}  // namespace monacohost
