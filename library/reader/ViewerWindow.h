#pragma once

// The seam between the reader and the viewer window, which lives in the Qt
// part of the library: the reader registers nothing itself and never links
// Qt; without a registered window (or with the console interaction) the
// console view shows the invoice.

#include "reader/ReaderSettings.h"
#include "reader/ViewModel.h"

namespace belvora::reader {

// Shows the read invoice modally until the user closes it; the Save button
// stores it. False, after a message, when no window can be opened.
using ViewerWindow = bool (*)(ViewModel& view, ReaderSettings& settings);

void RegisterViewerWindow(ViewerWindow window);

// The registered window when the current interaction shows windows, else
// nullptr.
ViewerWindow ActiveViewerWindow();

}  // namespace belvora::reader
