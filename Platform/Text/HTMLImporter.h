#pragma once

#include <string>
#include <string_view>

#include "Platform/Foundation/Error.h"
#include "Platform/Text/AttributedString.h"

namespace platform {

class HTMLImportError : public ErrorBase<HTMLImportError> {
 public:
  explicit HTMLImportError(std::string reason) : reason_(std::move(reason)) {}
  std::string description() const override { return "The HTML document could not be read: " + reason_; }

 private:
  std::string reason_;
};

// Turns an HTML document into styled text: elements nest, style sheets in
// "style" elements give text its colours, background and bold or italic
// face through class and element selectors, character entities are
// decoded, and text inside "pre" keeps its white space. Text in monospaced
// elements ("pre", "code") uses Courier at 13 points, other text Times at 12.
// Layout (margins, padding, display) is not carried over.
class HTMLImporter {
 public:
  // Throws HTMLImportError when the bytes are not UTF-8 or a tag or comment
  // is never closed.
  static AttributedString attributedString(std::string_view utf8Document);
};

}  // namespace platform
