#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "Platform/Coding/CodingKey.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Date.h"

namespace wendanet {

// How the elements of a list are keyed: tags[], tags, tags[0] or a key of
// the user's own.
class ArrayEncoding {
 public:
  enum Builtin { brackets, noBrackets, indexInBrackets };
  // From the list's key and the element's index counted from 0.
  using Handler = std::function<std::string(const std::string& key, std::size_t index)>;

  ArrayEncoding(Builtin builtin) : choice_(builtin) {}
  static ArrayEncoding custom(Handler handler) { return ArrayEncoding(std::move(handler)); }

  std::string encode(const std::string& key, std::size_t index) const;

 private:
  explicit ArrayEncoding(Handler handler) : choice_(std::move(handler)) {}

  std::variant<Builtin, Handler> choice_;
};

// true and false as "1" and "0", or as "true" and "false".
class BoolEncoding {
 public:
  enum Builtin { numeric, literal };

  constexpr BoolEncoding(Builtin builtin) : builtin_(builtin) {}

  std::string_view encode(bool value) const;

 private:
  Builtin builtin_;
};

// How a byte buffer becomes form text.
class DataEncoding {
 public:
  enum Builtin {
    // The buffer's own encoding: a list of byte values.
    deferredToData,
    // Standard alphabet, "=" padding, no line breaks.
    base64,
  };
  // May throw; the throw ends the encoding.
  using Handler = std::function<std::string(const platform::Data&)>;

  DataEncoding(Builtin builtin) : choice_(builtin) {}
  static DataEncoding custom(Handler handler) { return DataEncoding(std::move(handler)); }

  // Absent when the buffer is to encode itself.
  std::optional<std::string> encode(const platform::Data& data) const;

 private:
  explicit DataEncoding(Handler handler) : choice_(std::move(handler)) {}

  std::variant<Builtin, Handler> choice_;
};

// How a point in time becomes form text.
class DateEncoding {
 public:
  enum Builtin {
    // The date's own encoding: seconds since 2001-01-01T00:00:00Z.
    deferredToDate,
    // Seconds since 1970 as the shortest text that reads back ("1.0", "0.25").
    secondsSince1970,
    millisecondsSince1970,
    // Internet date-time text in UTC such as 2026-12-05T18:39:48Z.
    iso8601,
  };
  // Any object that writes a date as text; it is called without a lock.
  using Formatter = std::function<std::string(const platform::Date&)>;
  // May throw; the throw ends the encoding.
  using Handler = std::function<std::string(const platform::Date&)>;

  DateEncoding(Builtin builtin) : choice_(builtin) {}
  static DateEncoding formatted(Formatter formatter) { return DateEncoding(Formatted{std::move(formatter)}); }
  static DateEncoding custom(Handler handler) { return DateEncoding(Custom{std::move(handler)}); }

  // Absent when the date is to encode itself. Throws EncodingError (at
  // `codingPath`) under iso8601 for a date outside the years 0000 to 9999,
  // whose text would be wrong.
  std::optional<std::string> encode(const platform::Date& date, const platform::CodingPath& codingPath = {}) const;

 private:
  struct Formatted {
    Formatter formatter;
  };
  struct Custom {
    Handler handler;
  };
  explicit DateEncoding(Formatted formatted) : choice_(std::move(formatted)) {}
  explicit DateEncoding(Custom custom) : choice_(std::move(custom)) {}

  std::variant<Builtin, Formatted, Custom> choice_;
};

// What a nested key adds to its parent's key: user[name] or user.name.
class KeyPathEncoding {
 public:
  using Handler = std::function<std::string(const std::string& subkey)>;

  explicit KeyPathEncoding(Handler encoding) : encoding_(std::move(encoding)) {}
  static KeyPathEncoding brackets();
  static KeyPathEncoding dots();

  std::string encodeKeyPath(const std::string& subkey) const { return encoding_(subkey); }

 private:
  Handler encoding_;
};

// What an absent value writes: nothing at all (the key disappears), the
// key with an empty value, or the key with "null".
class NilEncoding {
 public:
  using Handler = std::function<std::optional<std::string>()>;

  explicit NilEncoding(Handler encoding) : encoding_(std::move(encoding)) {}
  static NilEncoding dropKey();
  static NilEncoding dropValue();
  static NilEncoding null();

  std::optional<std::string> encodeNil() const { return encoding_(); }

 private:
  Handler encoding_;
};

// A space as "%20" or as "+".
class SpaceEncoding {
 public:
  enum Builtin { percentEscaped, plusReplaced };

  constexpr SpaceEncoding(Builtin builtin) : builtin_(builtin) {}

  std::string encode(std::string_view text) const;

 private:
  Builtin builtin_;
};

}  // namespace wendanet
