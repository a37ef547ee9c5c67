#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "Platform/Concurrency/AsyncStream.h"

namespace wendanet {

// The one asynchronous sequence the library hands out. Each iteration gets
// a stream of its own, connected to its producer by `builder`; when the
// last copy of the iterator goes, the stream is finished and
// `onTermination` runs, once, on that thread. Making a StreamOf connects
// nothing.
template <class Element>
class StreamOf {
 public:
  using BufferingPolicy = platform::StreamBufferingPolicy;
  using Continuation = typename platform::AsyncStream<Element>::Continuation;
  using Builder = std::function<void(Continuation)>;
  using Termination = std::function<void()>;

  class Iterator {
   public:
    // `while (auto element = co_await iterator.next())`.
    auto next() { return iterator_.next(); }

   private:
    friend class StreamOf;
    // Its destruction marks the end of the iteration; copies share it.
    class Token {
     public:
      explicit Token(std::function<void()> onDeinit) : onDeinit_(std::move(onDeinit)) {}
      ~Token() { onDeinit_(); }
      Token(const Token&) = delete;
      Token& operator=(const Token&) = delete;

     private:
      const std::function<void()> onDeinit_;
    };

    Iterator(typename platform::AsyncStream<Element>::Iterator iterator, std::shared_ptr<Token> token)
        : iterator_(std::move(iterator)), token_(std::move(token)) {}

    typename platform::AsyncStream<Element>::Iterator iterator_;
    std::shared_ptr<Token> token_;
  };

  StreamOf(BufferingPolicy bufferingPolicy, Termination onTermination, Builder builder)
      : bufferingPolicy_(bufferingPolicy), onTermination_(std::move(onTermination)), builder_(std::move(builder)) {}

  Iterator makeAsyncIterator() const {
    // Written once inside the stream's synchronous build, read once when
    // the token goes: no lock needed.
    auto slot = std::make_shared<std::optional<Continuation>>();
    platform::AsyncStream<Element> stream(bufferingPolicy_, [&](Continuation continuation) {
      slot->emplace(continuation);
      builder_(continuation);
    });
    auto token = std::make_shared<typename Iterator::Token>([slot, sequence = *this] {
      if (*slot) (*slot)->finish();
      if (sequence.onTermination_) sequence.onTermination_();
    });
    return Iterator(stream.makeAsyncIterator(), std::move(token));
  }

 private:
  BufferingPolicy bufferingPolicy_;
  Termination onTermination_;
  Builder builder_;
};

}  // namespace wendanet
