#include "Highlighter/HTMLSpanConverter.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "Highlighter/HTMLUtils.h"
#include "Platform/Text/UTF16.h"

namespace highlighter {

using platform::AttributedString;

namespace {

constexpr std::u16string_view spanStart = u"span class=\"";
constexpr std::u16string_view spanStartClose = u"\">";
constexpr std::u16string_view spanEnd = u"/span>";

bool isAlphanumeric(char16_t unit) {
  return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') || (unit >= u'0' && unit <= u'9');
}

// Where the character entity starting at `amp` ends, past its ";", as the
// pattern "&#?[a-zA-Z0-9]+?;" finds it; absent when none starts there.
std::optional<std::size_t> entityEnd(std::u16string_view html, std::size_t amp) {
  std::size_t position = amp + 1;
  if (position < html.size() && html[position] == u'#') ++position;
  const std::size_t digits = position;
  while (position < html.size() && isAlphanumeric(html[position])) ++position;
  if (position == digits || position >= html.size() || html[position] != u';') return std::nullopt;
  return position + 1;
}

}  // namespace

// One stack of open classes, known by the class opened last and the stack
// it was opened in; its attributes are asked of the theme once, when first
// needed. Stacks stay put as others are added.
class HTMLSpanConverter::ClassStack {
 public:
  ClassStack(ClassStack* outer, std::u16string_view name) : outer_(outer), name_(name) {}

  ClassStack& opening(std::u16string_view name) {
    for (const auto& stack : inner_) {
      if (stack->name_ == name) return *stack;
    }
    return *inner_.emplace_back(std::make_unique<ClassStack>(this, name));
  }

  // The base class stays, so stray ends never unstyle the text.
  ClassStack& closing() { return outer_ ? *outer_ : *this; }

  const platform::TextAttributes& attributes(const Theme& theme) {
    if (!attributes_) {
      std::vector<std::string> classes;
      for (const ClassStack* stack = this; stack; stack = stack->outer_) {
        classes.push_back(platform::utf8FromUTF16(stack->name_));
      }
      std::ranges::reverse(classes);
      attributes_ = theme.attributesForStyles(classes);
    }
    return *attributes_;
  }

 private:
  ClassStack* outer_;
  std::u16string name_;
  std::vector<std::unique_ptr<ClassStack>> inner_;
  std::optional<platform::TextAttributes> attributes_;
};

HTMLSpanConverter::HTMLSpanConverter(const Theme& theme)
    : theme_(theme), base_(std::make_unique<ClassStack>(nullptr, u"hljs")) {}

HTMLSpanConverter::~HTMLSpanConverter() = default;

AttributedString HTMLSpanConverter::convert(std::u16string_view html) {
  AttributedStringSink sink;
  convert(html, sink);
  return sink.take();
}

const platform::TextAttributes& HTMLSpanConverter::plainAttributes() { return base_->attributes(theme_); }

void HTMLSpanConverter::convert(std::u16string_view html, StyledTextSink& sink) {
  ClassStack* open = base_.get();
  // The text from here on is not in the sink yet.
  std::size_t pending = 0;
  const auto handOver = [&](std::size_t end) {
    if (end > pending) sink.append(html.substr(pending, end - pending), open->attributes(theme_));
  };

  std::size_t position = 0;
  while (position < html.size()) {
    const char16_t unit = html[position];
    if (unit == u'&') {
      // The script escapes the code's "&" itself, so an entity never reaches
      // across a tag; unknown entities stay as they are.
      const auto end = entityEnd(html, position);
      if (!end) {
        ++position;
        continue;
      }
      if (const auto character = HTMLUtils::decode(html.substr(position, *end - position))) {
        handOver(position);
        sink.append(*character, open->attributes(theme_));
        pending = *end;
      }
      position = *end;
    } else if (unit == u'<' && position + 1 < html.size() && (html[position + 1] == u's' || html[position + 1] == u'/')) {
      handOver(position);
      if (html[position + 1] == u's') {
        const auto name = std::min(position + 1 + spanStart.size(), html.size());
        const auto close = std::min(html.find(spanStartClose, name), html.size());
        open = &open->opening(html.substr(name, close - name));
        position = std::min(close + spanStartClose.size(), html.size());
      } else {
        position = std::min(position + 1 + spanEnd.size(), html.size());
        open = &open->closing();
      }
      pending = position;
    } else {
      ++position;
    }
  }
  handOver(html.size());
}

}  // namespace highlighter
