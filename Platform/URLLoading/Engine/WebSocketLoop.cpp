#include "Platform/URLLoading/Engine/WebSocketLoop.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>

namespace platform {

struct WebSocketLoop::KeepRunning {
  boost::asio::executor_work_guard<boost::asio::io_context::executor_type> guard;
};

std::shared_ptr<WebSocketLoop> WebSocketLoop::make() { return std::make_shared<WebSocketLoop>(); }

WebSocketLoop::WebSocketLoop()
    : context_(std::make_shared<boost::asio::io_context>(1)),
      keepRunning_(std::make_unique<KeepRunning>(KeepRunning{boost::asio::make_work_guard(*context_)})),
      // The thread holds the context, which must outlive its last handler.
      thread_([context = context_] { context->run(); }) {}

void WebSocketLoop::post(std::move_only_function<void()> work) { boost::asio::post(*context_, std::move(work)); }

WebSocketLoop::~WebSocketLoop() {
  keepRunning_.reset();
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

}  // namespace platform
