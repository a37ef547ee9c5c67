#include "Highlighter/HTMLSpanConverter.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "Highlighter/HTMLUtils.h"
#include "Platform/Text/UTF16.h"

namespace highlighter {

using platform::AttributedString;

namespace {

constexpr std::u16string_view htmlStart = u"<";
constexpr std::u16string_view spanStart = u"span class=\"";
constexpr std::u16string_view spanStartClose = u"\">";
constexpr std::u16string_view spanEnd = u"/span>";

bool isAlphanumeric(char16_t unit) {
  return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') || (unit >= u'0' && unit <= u'9');
}

// Appends `text` with each character entity, as the pattern
// "&#?[a-zA-Z0-9]+?;" finds them, replaced by its character; unknown
// entities stay as they are. The script escapes the code's "&" itself, so
// an entity never reaches across a tag.
void appendDecoded(StyledTextSink& sink, std::u16string_view text, const platform::TextAttributes& attributes) {
  std::size_t copied = 0;
  for (auto amp = text.find(u'&'); amp != std::u16string_view::npos; amp = text.find(u'&', amp)) {
    std::size_t position = amp + 1;
    if (position < text.size() && text[position] == u'#') ++position;
    const std::size_t digits = position;
    while (position < text.size() && isAlphanumeric(text[position])) ++position;
    if (position == digits || position >= text.size() || text[position] != u';') {
      ++amp;
      continue;
    }
    if (const auto replacement = HTMLUtils::decode(text.substr(amp, position + 1 - amp))) {
      sink.append(text.substr(copied, amp - copied), attributes);
      sink.append(*replacement, attributes);
      copied = position + 1;
    }
    amp = position + 1;
  }
  sink.append(text.substr(copied), attributes);
}

// The attributes for the open classes, asked of the theme once per distinct
// stack of classes.
class StyleStack {
 public:
  using Known = std::unordered_map<std::string, platform::TextAttributes>;

  StyleStack(const Theme& theme, Known& known) : theme_(theme), known_(known) {}

  void push(std::string name) {
    keyLengths_.push_back(key_.size());
    // No class name holds a NUL, so different stacks never share a key.
    key_ += '\0';
    key_ += name;
    classes_.push_back(std::move(name));
    current_ = nullptr;
  }

  // The base class stays, so stray ends never unstyle the text.
  void pop() {
    if (classes_.size() == 1) return;
    classes_.pop_back();
    key_.resize(keyLengths_.back());
    keyLengths_.pop_back();
    current_ = nullptr;
  }

  const platform::TextAttributes& attributes() {
    if (!current_) {
      auto [found, added] = known_.try_emplace(key_);
      if (added) found->second = theme_.attributesForStyles(classes_);
      current_ = &found->second;
    }
    return *current_;
  }

 private:
  const Theme& theme_;
  Known& known_;
  std::vector<std::string> classes_{"hljs"};
  std::string key_ = "hljs";
  std::vector<std::size_t> keyLengths_;
  const platform::TextAttributes* current_ = nullptr;
};

}  // namespace

AttributedString HTMLSpanConverter::convert(std::u16string_view html) {
  AttributedStringSink sink;
  convert(html, sink);
  return sink.take();
}

const platform::TextAttributes& HTMLSpanConverter::plainAttributes() { return StyleStack(theme_, known_).attributes(); }

void HTMLSpanConverter::convert(std::u16string_view html, StyledTextSink& sink) {
  StyleStack styles(theme_, known_);
  const auto append = [&](std::u16string_view text) { appendDecoded(sink, text, styles.attributes()); };

  std::size_t position = 0;
  while (position < html.size()) {
    const auto tag = std::min(html.find(htmlStart, position), html.size());
    if (tag > position) append(html.substr(position, tag - position));
    position = tag;
    if (position == html.size()) break;

    ++position;  // past "<"
    if (position == html.size()) {
      append(htmlStart);
    } else if (html[position] == u's') {
      position = std::min(position + spanStart.size(), html.size());
      const auto close = std::min(html.find(spanStartClose, position), html.size());
      styles.push(platform::utf8FromUTF16(html.substr(position, close - position)));
      position = std::min(close + spanStartClose.size(), html.size());
    } else if (html[position] == u'/') {
      position = std::min(position + spanEnd.size(), html.size());
      styles.pop();
    } else {
      append(htmlStart);
    }
  }
}

}  // namespace highlighter
