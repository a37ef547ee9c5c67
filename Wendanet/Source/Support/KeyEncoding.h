#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <variant>

namespace wendanet {

// How the complete key of a form pair (parents, brackets and array suffixes
// included) is rewritten before it is escaped.
class KeyEncoding {
 public:
  enum Builtin {
    useDefaultKeys,
    // myURLProperty becomes my_url_property.
    convertToSnakeCase,
    // myURLProperty becomes my-url-property.
    convertToKebabCase,
    // The first character upper-cased, the rest unchanged.
    capitalized,
    uppercased,
    lowercased,
  };
  using Handler = std::function<std::string(const std::string& key)>;

  KeyEncoding(Builtin builtin) : choice_(builtin) {}
  static KeyEncoding custom(Handler handler) { return KeyEncoding(std::move(handler)); }

  std::string encode(const std::string& key) const;

  // Splits the key into words at upper-case letters (a run of capitals is
  // one word, its last capital starting the next one), lower-cases the words
  // and joins them with `separator`.
  static std::string convertCase(std::string_view key, std::string_view separator);

 private:
  explicit KeyEncoding(Handler handler) : choice_(std::move(handler)) {}

  std::variant<Builtin, Handler> choice_;
};

}  // namespace wendanet
