#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Highlighter/HighlightScript.h"

using highlighter::HighlightScript;

namespace {

// Every argument of a call reaches the script whole, though making the later
// ones sets the collector off while the earlier ones are not yet in use.
TEST(HighlightScript, ArgumentsSurviveTheCollectorWhileTheCallIsMade) {
  const auto script = HighlightScript::load(uR"js(
var hljs = {
  lengths: function () {
    var total = 0;
    for (var i = 0; i < arguments.length; i++) total += arguments[i].length + arguments[i].charCodeAt(0);
    return { value: "" + total };
  }
};
)js");
  ASSERT_TRUE(script);
  std::vector<std::u16string> texts;
  std::size_t expected = 0;
  for (int index = 0; index < 64; ++index) {
    texts.emplace_back(std::size_t(64 * 1024 + index), char16_t(u'a' + index % 26));
    expected += texts.back().size() + texts.back()[0];
  }
  const std::vector<HighlightScript::Argument> arguments(texts.begin(), texts.end());
  const auto text = [](std::size_t number) {
    const auto digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
  };
  for (int round = 0; round < 20; ++round) {
    const auto value = script->stringProperty(script->invoke("lengths", arguments), "value");
    ASSERT_TRUE(value);
    ASSERT_EQ(value->view(), text(expected));
  }
}

}  // namespace
