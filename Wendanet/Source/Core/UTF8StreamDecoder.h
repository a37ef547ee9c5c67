#pragma once

#include <string>
#include <string_view>

namespace wendanet {

// Decodes UTF-8 text that arrives in fragments. A character whose bytes are
// split between two fragments waits for its rest, so it comes out whole and
// once; ill-formed bytes become U+FFFD exactly as they would in one fragment.
// Used from one thread at a time.
class UTF8StreamDecoder {
 public:
  // The text of the bytes held back so far followed by `fragment`, short of a
  // character that is still incomplete at the end.
  std::string decode(std::string_view fragment);
  // The held-back bytes, which will never complete, as text (U+FFFD);
  // empty when nothing is held back.
  std::string flush();

 private:
  std::string pending_;
};

}  // namespace wendanet
