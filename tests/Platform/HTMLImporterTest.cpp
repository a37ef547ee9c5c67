#include <gtest/gtest.h>

#include "Platform/Text/HTMLImporter.h"

using platform::Color;
using platform::HTMLImporter;
using platform::HTMLImportError;

namespace {

constexpr std::string_view styleSheet =
    "<style>/* .hljs{color:#fff} */.hljs{color:#111;background:url(x.png) #222}"
    ".hljs-keyword{color:#f00;font-weight:bold}.hljs-title.function_{color:#0f0}"
    ".hljs-meta .hljs-keyword{color:#00f}@media print{.hljs{color:#000}}</style>";

TEST(HTMLImporter, StylesCodeThroughItsStyleSheet) {
  const std::string document = std::string(styleSheet) +
                               "<pre><code class=\"hljs\"><span class=\"hljs-keyword\">if</span>  x &lt; 1 &amp;&amp; "
                               "<span class=\"hljs-title function_\">f</span>()\n<span class=\"hljs-meta\">"
                               "<span class=\"hljs-keyword\">#if</span></span>&#x27;&#39;&bogus;</code></pre>";
  const auto text = HTMLImporter::attributedString(document);
  EXPECT_EQ(text.string(), "if  x < 1 && f()\n#if''&bogus;");
  const auto at = [&](std::size_t index) { return text.attributesAt(index); };
  EXPECT_EQ(at(0).foregroundColor, (Color{1, 0, 0, 1}));
  EXPECT_TRUE(at(0).font->bold);
  EXPECT_EQ(at(4).foregroundColor, (Color{1 / 15.0, 1 / 15.0, 1 / 15.0, 1}));
  EXPECT_EQ(at(4).backgroundColor, (Color{2 / 15.0, 2 / 15.0, 2 / 15.0, 1}));
  EXPECT_FALSE(at(4).font->bold);
  EXPECT_EQ(at(13).foregroundColor, (Color{0, 1, 0, 1}));  // both classes of one element
  EXPECT_EQ(at(17).foregroundColor, (Color{0, 0, 1, 1}));  // the descendant rule is the more specific
}

TEST(HTMLImporter, WhiteSpaceCollapsesOutsidePre) {
  EXPECT_EQ(HTMLImporter::attributedString("<p>  a \n\t b <br>c</p><!-- gone -->").string(), "a b \nc");
}

TEST(HTMLImporter, BrokenDocumentsAreErrors) {
  EXPECT_THROW(HTMLImporter::attributedString("<pre>a\xff</pre>"), HTMLImportError);
  EXPECT_THROW(HTMLImporter::attributedString("<pre class=\"x\""), HTMLImportError);
  EXPECT_THROW(HTMLImporter::attributedString("<style>.a{}"), HTMLImportError);
  EXPECT_EQ(HTMLImporter::attributedString("a < b").string(), "a < b");
}

}  // namespace
