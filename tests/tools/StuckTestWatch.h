#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// Ends the run when one test has gone on for longer than any test should,
// telling which test it was and, where gdb is installed, where every thread
// stood. Suites that drive a web engine can stall inside it, below every
// wait of their own; without this the runner's time-out would end them
// without a word of where.
class StuckTestWatch : public testing::EmptyTestEventListener {
 public:
  explicit StuckTestWatch(std::chrono::seconds bound) : bound_(bound), watcher_([this] { watch(); }) {}

  ~StuckTestWatch() override {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    changed_.notify_all();
    watcher_.join();
  }

  // Lets a suite's main put the watch in place: gtest owns it from then on.
  static void install(std::chrono::seconds bound) {
    testing::UnitTest::GetInstance()->listeners().Append(new StuckTestWatch(bound));
  }

  void OnTestStart(const testing::TestInfo& test) override {
    std::lock_guard lock(mutex_);
    running_ = std::string(test.test_suite_name()) + "." + test.name();
    deadline_ = std::chrono::steady_clock::now() + bound_;
    changed_.notify_all();
  }

  void OnTestEnd(const testing::TestInfo&) override {
    std::lock_guard lock(mutex_);
    running_.reset();
    changed_.notify_all();
  }

 private:
  void watch() {
    std::unique_lock lock(mutex_);
    while (!finished_) {
      if (!running_) {
        changed_.wait(lock);
      } else if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && running_ &&
                 std::chrono::steady_clock::now() >= deadline_) {
        std::fprintf(stderr, "\n%s has run for over %lld s; where each thread stands:\n", running_->c_str(),
                     static_cast<long long>(bound_.count()));
        std::fflush(stderr);
        printStacks();
        std::abort();
      }
    }
  }

  // gdb reads this process from a child; it is given a minute.
  static void printStacks() {
    prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY);
    const std::string self = std::to_string(getpid());
    const pid_t reader = fork();
    if (reader == 0) {
      dup2(STDERR_FILENO, STDOUT_FILENO);
      execlp("gdb", "gdb", "-batch", "-nx", "-p", self.c_str(), "-ex", "thread apply all bt 30", nullptr);
      _exit(127);
    }
    if (reader < 0) return;
    for (int waited = 0; waited < 600; ++waited) {
      if (waitpid(reader, nullptr, WNOHANG) == reader) return;
      usleep(100'000);
    }
    kill(reader, SIGKILL);
    waitpid(reader, nullptr, 0);
  }

  const std::chrono::seconds bound_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<std::string> running_;
  std::chrono::steady_clock::time_point deadline_;
  bool finished_ = false;
  std::thread watcher_;
};
