#pragma once

namespace start {

// Whether Start shows windows: BELVORA_UI=qt or console decides; unset
// means windows when a display (DISPLAY or WAYLAND_DISPLAY) is set. Always
// false in a build without Qt.
bool UsesWindows();

// The Qt application and main window of one run of Start, when it shows
// windows; nothing otherwise. Lives as long as main.
class Frontend {
 public:
  Frontend();
  ~Frontend();
  Frontend(const Frontend&) = delete;
  Frontend& operator=(const Frontend&) = delete;
};

}  // namespace start
