#include <gtest/gtest.h>

#include "Highlighter/HTMLSpanConverter.h"
#include "Highlighter/Theme.h"

using highlighter::HTMLSpanConverter;
using highlighter::Theme;
using platform::AttributedString;
using platform::Color;

namespace {

using Runs = std::vector<std::pair<std::string, std::optional<Color>>>;

const Color base{1.0 / 15, 1.0 / 15, 1.0 / 15, 1};
const Color title{2.0 / 15, 2.0 / 15, 2.0 / 15, 1};
const Color keyword{3.0 / 15, 3.0 / 15, 3.0 / 15, 1};

class HTMLSpanConverterTest : public testing::Test {
 protected:
  AttributedString convert(std::u16string_view html) const { return HTMLSpanConverter(*theme).convert(html); }
  // The text and foreground colour of each run.
  static Runs runs(const AttributedString& text) {
    Runs result;
    for (const auto& run : text.runs()) {
      result.emplace_back(text.attributedSubstring(run.range).string(), run.attributes().foregroundColor);
    }
    return result;
  }

  std::shared_ptr<Theme> theme = Theme::make(".hljs{color:#111}.hljs-title{color:#222}.hljs-keyword{color:#333}");
};

TEST_F(HTMLSpanConverterTest, SpansStyleTheirTextWithEveryOpenClass) {
  EXPECT_EQ(runs(convert(u"<span class=\"hljs-title\">main</span>()")),
            (Runs{{"main", title}, {"()", base}}));
  // The inner class wins over the outer one; the outer resumes after it.
  EXPECT_EQ(runs(convert(u"<span class=\"hljs-keyword\">a<span class=\"hljs-title\">b</span>c</span>d")),
            (Runs{{"a", keyword}, {"b", title}, {"c", keyword}, {"d", base}}));
  // Stacks met again, deeper or after others, keep their own styles.
  EXPECT_EQ(runs(convert(u"<span class=\"hljs-title\">a</span>b<span class=\"hljs-keyword\">c<span class=\"hljs-title\">"
                         u"d</span></span>f<span class=\"hljs-title\">e</span>")),
            (Runs{{"a", title}, {"b", base}, {"c", keyword}, {"d", title}, {"f", base}, {"e", title}}));
  EXPECT_EQ(runs(convert(u"plain text")), (Runs{{"plain text", base}}));
  EXPECT_EQ(convert(u"").length(), 0u);
  EXPECT_EQ(convert(u"").runs().size(), 0u);
}

TEST_F(HTMLSpanConverterTest, StrayAngleBracketsStayText) {
  EXPECT_EQ(convert(u"a<b").string(), "a<b");
  EXPECT_EQ(convert(u"a<").string(), "a<");
  // Unbalanced ends never strip the base style.
  EXPECT_EQ(runs(convert(u"</span></span>x")), (Runs{{"x", base}}));
}

TEST_F(HTMLSpanConverterTest, EntitiesBecomeTheirCharactersInTheirRunsStyle) {
  const auto text = convert(u"<span class=\"hljs-title\">&lt;T&gt;</span> &amp;&amp; x");
  EXPECT_EQ(runs(text), (Runs{{"<T>", title}, {" && x", base}}));

  EXPECT_EQ(convert(u"&#x27;&#X27;&#39;&apos;&quot;&nbsp;").string(), "''''\"\u00A0");
  // Unknown names and names in the wrong case stay; later entities still decode at their own places.
  EXPECT_EQ(convert(u"&AMP; &bogus; &lt; & &; &#; &lt").string(), "&AMP; &bogus; < & &; &#; &lt");
  // An astral character takes two UTF-16 units; what follows it still decodes.
  const auto astral = convert(u"&#x1F600;&gt;");
  EXPECT_EQ(astral.characters(), u"\U0001F600>");
  EXPECT_EQ(astral.length(), 3u);
  EXPECT_EQ(convert(u"&#x;").characters(), std::u16string(1, u'\0'));
  // Numbers that name no character are left alone.
  EXPECT_EQ(convert(u"&#xD800;&#99999999999;").string(), "&#xD800;&#99999999999;");
}

}  // namespace
