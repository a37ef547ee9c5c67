#pragma once

#include <variant>

namespace platform {

// A choice among built-in behaviours, or a handler of the user's own.
// `Cases` supplies the enumeration `Builtin`, whose names become members of
// the strategy (for example DateEncodingStrategy::iso8601), and `Handler`.
template <class Cases>
class CodingStrategy : public Cases {
 public:
  using Builtin = typename Cases::Builtin;
  using Handler = typename Cases::Handler;

  CodingStrategy(Builtin builtin) : choice_(builtin) {}
  static CodingStrategy custom(Handler handler) { return CodingStrategy(std::move(handler)); }

  // The built-in behaviour, or null for a custom one.
  const Builtin* builtin() const { return std::get_if<Builtin>(&choice_); }
  // The user's handler, or null for a built-in behaviour.
  const Handler* handler() const { return std::get_if<Handler>(&choice_); }

 private:
  explicit CodingStrategy(Handler handler) : choice_(std::move(handler)) {}

  std::variant<Builtin, Handler> choice_;
};

}  // namespace platform
