#pragma once

// The one QApplication the library's windows need. A host that already has
// one (Start, Trivex, any Qt program) keeps it; a C program or a script
// through the C ABI gets one created on demand. Widgets live on the thread
// that owns the application: a call from any other thread is refused.

#include <string>

class QWidget;

namespace belvora::ui::qt {

inline constexpr const char* kForeignThread =
    "Windows can only be opened on the thread that runs the user interface; this call came "
    "from another thread and was not carried out.";
inline constexpr const char* kNoWidgets =
    "The host application runs Qt without widgets, so no window can be opened.";

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
