#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/UUID.h"
#include "Wendalore/Views/History/StyledRuns.h"

namespace wendalore {

// Highlights response bodies away from the UI thread, each body once per
// theme: results are kept, the least recently shown going first once they
// pass a memory budget. Used from the UI thread; answers arrive there too.
class ResponseHighlighter {
 public:
  using Result = std::shared_ptr<const StyledRuns>;

  struct Key {
    platform::UUID record;
    std::string theme;
    std::size_t size = 0;
    std::size_t hash = 0;

    static Key of(const platform::UUID& record, std::string theme, std::string_view body);
    friend auto operator<=>(const Key&, const Key&) = default;
  };

  static ResponseHighlighter& shared();

  // The styled text already made for `key`, or null.
  Result cached(const Key& key);
  // Calls `done` on the UI thread with the styled text (null when the body
  // cannot be highlighted), unless `context` is gone by then. A body already
  // being highlighted is not started again.
  void highlight(const Key& key, std::string body, std::string language, QObject* context,
                 std::function<void(Result)> done);

 private:
  ResponseHighlighter();
  void finish(const Key& key, Result result);

  // Enough for both themes of a full history of ordinary bodies, and for
  // several bodies of tens of megabytes.
  static constexpr std::size_t cacheBudgetBytes = 256u << 20;

  struct Waiter {
    QPointer<QObject> context;
    std::function<void(Result)> done;
  };

  std::shared_ptr<platform::DispatchQueue> queue_;
  // Most recently used first.
  std::list<std::pair<Key, Result>> cache_;
  std::size_t cacheBytes_ = 0;
  std::map<Key, std::vector<Waiter>> waiting_;
};

}  // namespace wendalore
