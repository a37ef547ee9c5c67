#pragma once

#include <sys/types.h>
#include <xcb/xcb.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace desktop {

// A top-level window as the display server knows it.
struct TopWindow {
  xcb_window_t id = 0;
  std::string title;
  // The process that made it, as it says itself; 0 when it does not.
  pid_t pid = 0;
  bool viewable = false;
};

// The display the tests run on ($DISPLAY, a virtual one under xvfb-run),
// seen and driven from outside the program as a user would.
class XDisplay {
 public:
  XDisplay();
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  // Top-level windows of the process `pid`, bottom of the stack first.
  std::vector<TopWindow> windowsOf(pid_t pid);
  // The first viewable window of `pid` titled `title`, once there is one.
  std::optional<TopWindow> waitForWindow(pid_t pid, std::string_view title, std::chrono::milliseconds timeout);
  bool isViewable(xcb_window_t window);
  // The viewable top-level window on top of the stack, of any process.
  std::optional<xcb_window_t> topmostViewable();

  // Asks the window to close, as its title bar's close button does.
  void requestClose(xcb_window_t window);
  // Gives the window the keyboard focus and presses the keys, in xdotool's
  // notation ("ctrl+q", "Return").
  bool pressKeys(xcb_window_t window, const std::string& keys);
  // Presses the keys one right after the other, with no pause between
  // them, into whatever has the keyboard focus.
  static bool pressKeysAtOnce(const std::vector<std::string>& keys);
  // Clicks at a point of the window, in its own coordinates.
  static bool click(xcb_window_t window, int x, int y);
  // Types the text into whatever has the keyboard focus, as fast hands do.
  static bool type(const std::string& text);
  // The whole screen as a PNG in the screenshot directory; its path.
  std::filesystem::path screenshot(const std::string& name);

 private:
  xcb_atom_t atom(std::string_view name);
  std::vector<xcb_window_t> topLevelIds();
  TopWindow describe(xcb_window_t window);

  xcb_connection_t* connection_;
  xcb_window_t root_ = 0;
};

}  // namespace desktop
