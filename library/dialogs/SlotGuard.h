#pragma once

// Helpers for the windows' button handlers: an exception must not unwind
// through Qt's event loop, and the wait cursor must come back however the
// work ends.

#include <QApplication>
#include <exception>
#include <string>

#include "platform/ui/Interaction.h"
#include "platform/ui/Trap.h"

namespace belvora::dialogs {

class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// Runs a handler; an error it throws is shown under the title (critical
// icon) instead, whatever it is.
template <typename F>
void Guarded(const char* title, F&& handler) noexcept {
  auto report = [title](std::exception_ptr error) {
    ui::current().message(title, ui::DescriptionOf(error), ui::Icon::Critical);
  };
  ui::Trap(report, handler);
}

}  // namespace belvora::dialogs
