#include "tests/desktop/XDisplay.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <thread>

#include "tests/desktop/AppProcess.h"
#include "tests/desktop/Command.h"

namespace desktop {
namespace {

// xcb replies are malloc'ed and must be freed.
template <class Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply>
ReplyPointer<Reply> owned(Reply* reply) {
  return ReplyPointer<Reply>(reply, &std::free);
}

}  // namespace

XDisplay::XDisplay() : connection_(xcb_connect(nullptr, nullptr)) {
  if (xcb_connection_has_error(connection_)) {
    xcb_disconnect(connection_);
    throw std::runtime_error("no display to run the program on: run the tests on a virtual display (tests/desktop/with-virtual-display.sh)");
  }
  root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

XDisplay::~XDisplay() { xcb_disconnect(connection_); }

xcb_atom_t XDisplay::atom(std::string_view name) {
  auto reply = owned(xcb_intern_atom_reply(
      connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::vector<xcb_window_t> XDisplay::topLevelIds() {
  auto tree = owned(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
  if (!tree) return {};
  const auto* children = xcb_query_tree_children(tree.get());
  return {children, children + xcb_query_tree_children_length(tree.get())};
}

TopWindow XDisplay::describe(xcb_window_t window) {
  TopWindow described;
  described.id = window;
  auto title = owned(xcb_get_property_reply(
      connection_, xcb_get_property(connection_, 0, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 1024),
      nullptr));
  if (title) {
    described.title.assign(static_cast<const char*>(xcb_get_property_value(title.get())),
                           xcb_get_property_value_length(title.get()));
  }
  auto pid = owned(xcb_get_property_reply(
      connection_, xcb_get_property(connection_, 0, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 0, 1), nullptr));
  if (pid && xcb_get_property_value_length(pid.get()) == 4) {
    described.pid = static_cast<pid_t>(*static_cast<const std::uint32_t*>(xcb_get_property_value(pid.get())));
  }
  described.viewable = isViewable(window);
  return described;
}

std::vector<TopWindow> XDisplay::windowsOf(pid_t pid) {
  std::vector<TopWindow> windows;
  for (const auto id : topLevelIds()) {
    auto window = describe(id);
    if (window.pid == pid) windows.push_back(std::move(window));
  }
  return windows;
}

std::optional<TopWindow> XDisplay::waitForWindow(pid_t pid, std::string_view title,
                                                 std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  do {
    for (auto& window : windowsOf(pid)) {
      if (window.viewable && window.title == title) return window;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (std::chrono::steady_clock::now() < deadline);
  return std::nullopt;
}

bool XDisplay::isViewable(xcb_window_t window) {
  auto attributes =
      owned(xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr));
  return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::optional<xcb_window_t> XDisplay::topmostViewable() {
  const auto ids = topLevelIds();
  for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
    if (isViewable(*id)) return *id;
  }
  return std::nullopt;
}

void XDisplay::requestClose(xcb_window_t window) {
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = atom("WM_PROTOCOLS");
  event.data.data32[0] = atom("WM_DELETE_WINDOW");
  event.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
  xcb_flush(connection_);
}

bool XDisplay::pressKeys(xcb_window_t window, const std::string& keys) {
  return runCommand({"xdotool", "windowfocus", "--sync", std::to_string(window), "key", "--clearmodifiers", keys}) == 0;
}

bool XDisplay::pressKeysAtOnce(const std::vector<std::string>& keys) {
  std::vector<std::string> command{"xdotool", "key", "--delay", "0"};
  command.insert(command.end(), keys.begin(), keys.end());
  return runCommand(command) == 0;
}

bool XDisplay::click(xcb_window_t window, int x, int y) {
  return runCommand({"xdotool", "mousemove", "--window", std::to_string(window), std::to_string(x), std::to_string(y),
                     "click", "1"}) == 0;
}

bool XDisplay::type(const std::string& text) { return runCommand({"xdotool", "type", "--delay", "30", text}) == 0; }

std::filesystem::path XDisplay::screenshot(const std::string& name) {
  const auto path = screenshotDirectory() / (name + ".png");
  if (runCommand({"import", "-window", "root", path.string()}) != 0) {
    throw std::runtime_error("the screenshot " + path.string() + " could not be taken");
  }
  return path;
}

}  // namespace desktop
