#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
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

  // What the kept results take.
  std::size_t cacheBytes() const { return cacheBytes_; }
  // The styled text already made for `key`, or null.
  Result cached(const Key& key);
  // Calls `done` on the UI thread with the styled text (null when the body
  // cannot be highlighted), unless `context` is gone by then; `progress`,
  // when given, meanwhile with the pieces done so far as more come in. A
  // context waits for one body at a time: asking for another withdraws what
  // it asked for before, and work nobody waits for any more stops. A body
  // already being highlighted is not started again; the one asked for last
  // goes first.
  void highlight(const Key& key, std::shared_ptr<const std::string> body, std::string language, QObject* context,
                 std::function<void(Result)> done, std::function<void(Result)> progress = nullptr);
  // The body `context` waits for is highlighted next at the UTF-16 positions
  // [from, to], as soon as the piece under way is done; only the latest
  // such wish counts.
  void prefer(const QObject* context, std::uint32_t from, std::uint32_t to);
  // Withdraws what `context` waits for.
  void cancel(const QObject* context);

 private:
  struct Job;

  ResponseHighlighter();
  // Drops what `context`, or a context that is gone, waits for, but `keep`.
  void withdraw(const QObject* context, const Key* keep);
  void start(const std::shared_ptr<Job>& job);
  // On the queue, until no job is left.
  void runJobs();
  bool isNewest(const std::shared_ptr<Job>& job);
  // Tells the UI thread that more pieces are in, unless it has yet to hear
  // of the last ones.
  void announceProgress(const std::shared_ptr<Job>& job);
  void finish(const std::shared_ptr<Job>& job, Result result);

  // Enough for both themes of a full history of ordinary bodies, and for
  // several bodies of tens of megabytes.
  static constexpr std::size_t cacheBudgetBytes = 256u << 20;

  std::shared_ptr<platform::DispatchQueue> queue_;
  // Most recently used first.
  std::list<std::pair<Key, Result>> cache_;
  std::size_t cacheBytes_ = 0;
  std::map<Key, std::shared_ptr<Job>> jobs_;

  // Shared with the queue: the jobs not finished nor withdrawn, the latest
  // last, and whether the queue is running them.
  std::mutex pendingMutex_;
  std::vector<std::shared_ptr<Job>> pending_;
  bool running_ = false;
};

}  // namespace wendalore
