#pragma once

// The one QApplication the library's windows need. A host that already has
// one (Start, Trivex, any Qt program) keeps it; a C program or a script
// through the C ABI gets one created on demand. Widgets live on the thread
// that owns the application: a call from any other thread is refused.

#include <string>

#include "messages/Messages.h"

class QWidget;

namespace belvora::ui::qt {

// Why no window can be opened.
inline constexpr const char* kForeignThread = messages::windows::kForeignThread;
inline constexpr const char* kNoWidgets = messages::windows::kNoWidgets;

// True when a QApplication exists or could be created: a display, or a Qt
// platform chosen through QT_QPA_PLATFORM.
bool displayAvailable();

// Empty when windows may be opened on the calling thread (the application
// is created here when there is none yet), else the reason why not.
std::string windowsRefusedReason();

// The window a new dialog should belong to: the active modal window, else
// the active window, else none.
QWidget* dialogParent();

}  // namespace belvora::ui::qt
