#include "Wendalore/Views/History/ResponseHighlighter.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <optional>

#include "Highlighter/Highlighter.h"
#include "Wendalore/Views/History/ResponseHighlighterRuns.h"

namespace wendalore {

using highlighter::HighlightJob;

struct ResponseHighlighter::Job {
  struct Waiter {
    QPointer<QObject> context;
    std::function<void(Result)> done;
    std::function<void(Result)> progress;
  };
  using Range = std::pair<std::uint32_t, std::uint32_t>;

  Job(Key key, std::shared_ptr<const std::string> body, std::string language)
      : key(std::move(key)), body(std::move(body)), language(std::move(language)) {}

  void prefer(Range range) {
    std::scoped_lock lock(wantedMutex);
    wanted = range;
  }
  std::optional<Range> takeWanted() {
    std::scoped_lock lock(wantedMutex);
    return std::exchange(wanted, std::nullopt);
  }
  bool isWanting() {
    std::scoped_lock lock(wantedMutex);
    return wanted.has_value();
  }

  const Key key;
  const std::shared_ptr<const std::string> body;
  const std::string language;
  std::atomic<bool> withdrawn = false;
  // Whether the UI thread has yet to hear of pieces done.
  std::atomic<bool> progressAnnounced = false;
  // On the UI thread.
  std::vector<Waiter> waiters;
  // Shared with the queue: where the waiters' view wants colours next.
  std::mutex wantedMutex;
  std::optional<Range> wanted;
  // On the queue, made at the first step.
  std::shared_ptr<highlighter::Theme> theme;
  StyledRunsSink runs;
  std::unique_ptr<HighlightJob> work;
};

namespace {

// The script engine and the themes it has loaded. The engine is not shared
// between threads: it lives on the one queue that highlights.
struct Engine {
  std::shared_ptr<highlighter::Highlighter> highlighter = highlighter::Highlighter::make();
  std::map<std::string, std::shared_ptr<highlighter::Theme>> themes;

  std::shared_ptr<highlighter::Theme> theme(const std::string& name) {
    auto& theme = themes[name];
    if (!theme && highlighter->setTheme(name)) theme = highlighter->theme();
    return theme;
  }
};

// Made on the highlighting queue at its first use, so that starting the
// script engine never holds up the UI; never destroyed, like the queue.
Engine& engine() {
  static auto* instance = new Engine();
  return *instance;
}

}  // namespace

ResponseHighlighter::Key ResponseHighlighter::Key::of(const platform::UUID& record, std::string theme,
                                                      std::string_view body) {
  return {record, std::move(theme), body.size(), std::hash<std::string_view>{}(body)};
}

ResponseHighlighter& ResponseHighlighter::shared() {
  // Never destroyed: the queue's last block may still be running at exit.
  static auto* instance = new ResponseHighlighter();
  return *instance;
}

ResponseHighlighter::ResponseHighlighter() : queue_(platform::DispatchQueue::make("org.wendalore.history.highlight")) {}

ResponseHighlighter::Result ResponseHighlighter::cached(const Key& key) {
  const auto found = std::ranges::find(cache_, key, &std::pair<Key, Result>::first);
  if (found == cache_.end()) return nullptr;
  cache_.splice(cache_.begin(), cache_, found);
  return found->second;
}

void ResponseHighlighter::highlight(const Key& key, std::shared_ptr<const std::string> body, std::string language,
                                    QObject* context, std::function<void(Result)> done,
                                    std::function<void(Result)> progress) {
  withdraw(context, &key);
  if (auto result = cached(key)) {
    done(std::move(result));
    return;
  }
  auto& job = jobs_[key];
  if (!job) {
    job = std::make_shared<Job>(key, std::move(body), std::move(language));
    start(job);
  }
  job->waiters.push_back({context, std::move(done), std::move(progress)});
}

void ResponseHighlighter::prefer(const QObject* context, std::uint32_t from, std::uint32_t to) {
  for (auto& [key, job] : jobs_) {
    if (std::ranges::any_of(job->waiters, [&](const Job::Waiter& waiter) { return waiter.context == context; })) {
      job->prefer({from, to});
    }
  }
}

void ResponseHighlighter::cancel(const QObject* context) { withdraw(context, nullptr); }

void ResponseHighlighter::withdraw(const QObject* context, const Key* keep) {
  std::erase_if(jobs_, [&](auto& entry) {
    auto& [key, job] = entry;
    if (keep && key == *keep) return false;
    std::erase_if(job->waiters, [&](const Job::Waiter& waiter) { return !waiter.context || waiter.context == context; });
    if (!job->waiters.empty()) return false;
    job->withdrawn = true;
    return true;
  });
}

void ResponseHighlighter::start(const std::shared_ptr<Job>& job) {
  std::scoped_lock lock(pendingMutex_);
  pending_.push_back(job);
  if (std::exchange(running_, true)) return;
  queue_->async([this] { runJobs(); });
}

bool ResponseHighlighter::isNewest(const std::shared_ptr<Job>& job) {
  std::scoped_lock lock(pendingMutex_);
  return pending_.back() == job;
}

void ResponseHighlighter::runJobs() {
  auto& engine = wendalore::engine();
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::scoped_lock lock(pendingMutex_);
      std::erase_if(pending_, [](const auto& pending) { return pending->withdrawn.load(); });
      if (pending_.empty()) {
        running_ = false;
        return;
      }
      job = pending_.back();
    }
    auto step = HighlightJob::Step::failed;
    if (engine.highlighter && !job->work) job->theme = engine.theme(job->key.theme);
    if (job->theme && !job->work) {
      job->work = std::make_unique<HighlightJob>(*engine.highlighter, *job->theme, std::string_view(*job->body),
                                                 job->language, job->runs, engine.highlighter->budget());
    }
    if (job->work) {
      if (const auto wanted = job->takeWanted()) job->work->prefer(wanted->first, wanted->second);
      // A body asked for later, or no longer wanted, takes over at once;
      // this piece starts again when its turn comes back. So do the lines
      // the view wants while the whole body is with the script.
      const bool whole = job->work->highlightsWholeNext();
      step = job->work->step([&] { return job->withdrawn || !isNewest(job) || (whole && job->isWanting()); });
    }
    if (step == HighlightJob::Step::more || step == HighlightJob::Step::interrupted) {
      if (job->runs.takeNews()) announceProgress(job);
      continue;
    }

    {
      std::scoped_lock lock(pendingMutex_);
      std::erase(pending_, job);
    }
    Result result;
    if (step == HighlightJob::Step::done) result = std::make_shared<const StyledRuns>(job->runs.take());
    job->work.reset();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [this, job, result = std::move(result)] { finish(job, result); },
        Qt::QueuedConnection);
  }
}

void ResponseHighlighter::announceProgress(const std::shared_ptr<Job>& job) {
  if (job->progressAnnounced.exchange(true)) return;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [job] {
        job->progressAnnounced = false;
        Result progress;
        // A waiter may ask for something else meanwhile.
        for (const auto& waiter : std::vector(job->waiters)) {
          if (!waiter.context || !waiter.progress) continue;
          if (!progress) progress = job->runs.snapshot();
          waiter.progress(progress);
        }
      },
      Qt::QueuedConnection);
}

void ResponseHighlighter::finish(const std::shared_ptr<Job>& job, Result result) {
  if (result) {
    cache_.emplace_front(job->key, result);
    cacheBytes_ += result->byteSize();
    while (cacheBytes_ > cacheBudgetBytes && cache_.size() > 1) {
      cacheBytes_ -= cache_.back().second->byteSize();
      cache_.pop_back();
    }
  }
  if (const auto found = jobs_.find(job->key); found != jobs_.end() && found->second == job) jobs_.erase(found);
  for (auto& waiter : std::exchange(job->waiters, {})) {
    if (waiter.context) waiter.done(result);
  }
}

}  // namespace wendalore
