#include "Wendalore/Views/History/ResponseHighlighter.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "Highlighter/Highlighter.h"

namespace wendalore {
namespace {

// The script engine and the themes it has loaded. The engine is not shared
// between threads: it lives on the one queue that highlights.
struct Engine {
  std::shared_ptr<highlighter::Highlighter> highlighter = highlighter::Highlighter::make();
  std::map<std::string, std::shared_ptr<highlighter::Theme>> themes;

  bool useTheme(const std::string& name) {
    auto& theme = themes[name];
    if (!theme) {
      if (!highlighter->setTheme(name)) return false;
      theme = highlighter->theme();
    }
    if (highlighter->theme() != theme) highlighter->setTheme(theme);
    return true;
  }

  ResponseHighlighter::Result run(const std::string& body, const std::string& language, const std::string& theme) {
    if (!highlighter) return nullptr;
    useTheme(theme);
    const auto styled = highlighter->highlight(body, language);
    if (!styled) return nullptr;
    return std::make_shared<const StyledRuns>(StyledRuns::from(*styled));
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

void ResponseHighlighter::highlight(const Key& key, std::string body, std::string language, QObject* context,
                                    std::function<void(Result)> done) {
  if (auto result = cached(key)) {
    done(std::move(result));
    return;
  }
  auto& waiters = waiting_[key];
  waiters.push_back({context, std::move(done)});
  if (waiters.size() > 1) return;

  queue_->async([this, key, body = std::move(body), language = std::move(language)] {
    auto result = engine().run(body, language, key.theme);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [this, key, result = std::move(result)] { finish(key, result); },
        Qt::QueuedConnection);
  });
}

void ResponseHighlighter::finish(const Key& key, Result result) {
  if (result) {
    cache_.emplace_front(key, result);
    cacheBytes_ += result->byteSize();
    while (cacheBytes_ > cacheBudgetBytes && cache_.size() > 1) {
      cacheBytes_ -= cache_.back().second->byteSize();
      cache_.pop_back();
    }
  }
  auto waiters = std::move(waiting_[key]);
  waiting_.erase(key);
  for (auto& waiter : waiters) {
    if (waiter.context) waiter.done(result);
  }
}

}  // namespace wendalore
