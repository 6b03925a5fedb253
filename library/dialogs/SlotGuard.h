#pragma once

// Helpers for the windows' button handlers: an exception must not unwind
// through Qt's event loop, and the wait cursor must come back however the
// work ends.

#include <QApplication>
#include <exception>
#include <string>

#include "platform/ui/Interaction.h"

namespace belvora::dialogs {

class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// Runs a handler; an error it throws is shown (critical icon) instead.
template <typename F>
void Guarded(const char* title, F&& handler) noexcept {
  try {
    handler();
  } catch (const std::exception& e) {
    try {
      ui::current().message(title, e.what(), ui::Icon::Critical);
    } catch (...) {
    }
  } catch (...) {
  }
}

}  // namespace belvora::dialogs
