#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "Wendalore/Model/RawValueEnum.h"

namespace wendalore {

// The pages of the request editor; a page is identified by its raw value,
// which is also its tab's title.
enum class EditorTab { params, headers, body, auth };

template <>
struct RawValues<EditorTab> {
  static constexpr std::string_view typeName = "EditorTab";
  static constexpr std::array cases = {
      std::pair{EditorTab::params, std::string_view("Params")},
      std::pair{EditorTab::headers, std::string_view("Headers")},
      std::pair{EditorTab::body, std::string_view("Body")},
      std::pair{EditorTab::auth, std::string_view("Auth")},
  };
};

}  // namespace wendalore
