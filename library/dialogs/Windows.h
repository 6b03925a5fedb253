#pragma once

namespace belvora::dialogs {

// Makes the Qt windows the library's user interface wherever windows are
// wanted: the Qt interaction (message boxes and dialogs), the viewer, and
// the parameter, support and about dialogs. Called once when the library
// is loaded; the choice between windows and console stays with
// ui::current().
void RegisterWindows();

}  // namespace belvora::dialogs
